// Resource module, dialog icon, file dialogs, combo selection, program folder, formatting.
#include "common/dialogs.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

// DarkMode.dll from the program's folder, else from the system's folders; never from the
// current folder or PATH, where a file dialog or a download may have left a file of that name.
HMODULE LoadDarkModeLibrary()
{
    wchar_t folders[3][MAX_PATH] = {};
    GetProgramFolder(folders[0]);
    UINT system = GetSystemDirectoryW(folders[1], MAX_PATH);
    UINT windows = GetWindowsDirectoryW(folders[2], MAX_PATH);
    if (system >= MAX_PATH)
        folders[1][0] = 0;
    if (windows >= MAX_PATH)
        folders[2][0] = 0;
    for (const wchar_t *folder : folders) {
        wchar_t path[MAX_PATH];
        if (folder[0] == 0 || !PathCombineW(path, folder, L"DarkMode.dll") ||
            GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        // Its own libraries are looked for beside it first.
        if (HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return module;
    }
    return nullptr;
}

}  // namespace

HMODULE GetResourceModule()
{
    // Loaded once and kept to the end: a module mapped as a data file is not found again by
    // name, so each load would map the file anew.
    static HMODULE translated = nullptr;
    HMODULE module = translated;
    if (!module) {
        wchar_t path[MAX_PATH + 4];
        DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            wcscat(path, L".mui");
            if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
                module = GetModuleHandleW(path);
                if (!module)
                    module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
                translated = module;
            }
        }
    }
    if (!module)
        module = GetModuleHandleW(nullptr);

    // An optional helper library; its export 1 runs once, when it is first loaded. It is never
    // freed, so later calls find it loaded and skip this.
    if (!GetModuleHandleW(L"DarkMode.dll")) {
        if (HMODULE dark = LoadDarkModeLibrary()) {
            typedef void (WINAPI *Export1)();
            if (Export1 start = reinterpret_cast<Export1>(
                    reinterpret_cast<void *>(GetProcAddress(dark, MAKEINTRESOURCEA(1)))))
                start();
        }
    }
    return module;
}

void SetDialogIcon(HWND dialog)
{
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    PostMessageW(dialog, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
}

BOOL AskFileName(HWND owner, wchar_t *fileName, BOOL save, const wchar_t *defaultExtension,
                 UINT filterId)
{
    fileName[0] = 0;
    wchar_t filter[256] = {};
    LoadStringW(GetResourceModule(), filterId, filter, 255);
    for (wchar_t *p = filter; *p != 0; p++)
        if (*p == L'|')
            *p = 0;

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;   // 88 bytes
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_OVERWRITEPROMPT;
    return save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
}

void ShowErrorMessage(HWND window, UINT stringId, const wchar_t *detail, const wchar_t *caption)
{
    wchar_t title[128] = {};
    if (!caption) {
        GetWindowTextW(window, title, 128);
        caption = title;
    }
    wchar_t message[128] = {};
    LoadStringW(GetResourceModule(), stringId, message, 128);
    std::wstring text = message;
    if (detail)
        text = text + L"\n" + detail;
    MessageBoxW(window, text.c_str(), caption, MB_ICONERROR);
}

void ShowTextMessage(HWND window, UINT stringId, const wchar_t *text, const wchar_t *caption)
{
    wchar_t title[128] = {};
    if (!caption) {
        GetWindowTextW(window, title, 128);
        caption = title;
    }
    wchar_t format[128] = {};
    LoadStringW(GetResourceModule(), stringId, format, 128);
    // The whole text, however long.
    std::vector<wchar_t> message(wcslen(format) + wcslen(text) + 1);
    FormatWithText(message.data(), message.size(), format, text);
    MessageBoxW(window, message.data(), caption, MB_OK | MB_ICONINFORMATION);
}

LPARAM GetComboSelectionData(HWND dialog, int controlId)
{
    LRESULT index = SendDlgItemMessageW(dialog, controlId, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    return SendDlgItemMessageW(dialog, controlId, CB_GETITEMDATA, index, 0);
}

void FormatWithText(wchar_t *buffer, size_t size, const wchar_t *format, const wchar_t *text)
{
    size_t used = 0;
    bool substituted = false;
    for (const wchar_t *p = format; *p != 0 && used + 1 < size; p++) {
        if (!substituted && p[0] == L'%' && p[1] == L's') {
            for (const wchar_t *t = text; *t != 0 && used + 1 < size; t++)
                buffer[used++] = *t;
            substituted = true;
            p++;
        } else {
            buffer[used++] = *p;
        }
    }
    buffer[used] = 0;
}

void GetProgramFolder(wchar_t *folder)
{
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        folder[0] = 0;
    PathRemoveFileSpecW(folder);
}

std::wstring ControlText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    int copied = GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring DialogItemText(HWND dialog, int controlId)
{
    return ControlText(GetDlgItem(dialog, controlId));
}
