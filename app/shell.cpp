// The main window's title, the library search and the keyboard layout.
#include "app/shell.h"

#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "store/text.h"

void SetMainWindowTitle(HWND window, const wchar_t *databasePath)
{
    wchar_t name[MAX_PATH];
    CopyBounded(name, databasePath, MAX_PATH);
    PathStripPathW(name);
    PathRemoveExtensionW(name);
    wchar_t format[128] = {};
    LoadStringW(GetResourceModule(), IDS_TITLE_FORMAT, format, 128);
    wchar_t title[1024];
    FormatWithText(title, 1024, format, name);
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title));
}

void RestrictLibrarySearch()
{
    // After a file dialog the current folder is wherever the user browsed (Downloads, say): a
    // library of a system name left there must not be loaded. Both functions are looked up, so
    // that a Windows without them still starts: SetDefaultDllDirectories (an update of Windows 7)
    // also leaves PATH out, SetDllDirectoryW with an empty text drops only the current folder but
    // covers the searches made for a library loaded by its full path as well.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    typedef BOOL(WINAPI * SetDefaultDirectories)(DWORD);
    typedef BOOL(WINAPI * SetDirectory)(const wchar_t *);
    const DWORD kDefaultDirectories = 0x1000;   // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
    if (SetDefaultDirectories setDefault = reinterpret_cast<SetDefaultDirectories>(
            reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
        setDefault(kDefaultDirectories);
    if (SetDirectory setDirectory = reinterpret_cast<SetDirectory>(
            reinterpret_cast<void *>(GetProcAddress(kernel, "SetDllDirectoryW"))))
        setDirectory(L"");
}

void SelectPreferredKeyboardLayout()
{
    HKL layouts[32];
    int count = GetKeyboardLayoutList(32, layouts);
    for (int i = 0; i < count; i++)
        if (reinterpret_cast<UINT_PTR>(layouts[i]) == 0xF001540A)
            ActivateKeyboardLayout(layouts[i], 0);
}
