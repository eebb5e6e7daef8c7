/* Example plug-in: copies the focused phrase pair to the clipboard as "phrase<TAB>translation",
 * ready to paste into a spreadsheet. A pair stored without its translation gets one from the
 * program's translate service first. Build it as a 32-bit DLL named copy_pair.plugin and place
 * it beside Lingotrove.exe. */
#include <wchar.h>

#include "app/plugin_api.h"

static const LingotrovePluginInfoRecord info = {{0, 0, 0}, L"\u8907\u88FD\u5230\u526A\u8CBC\u7C3F"};

const LingotrovePluginInfoRecord *WINAPI LingotrovePluginInfo(DWORD version, DWORD nine)
{
    (void)nine;
    return version >= LINGOTROVE_PLUGIN_VERSION ? &info : NULL;
}

static void CopyText(HWND owner, const wchar_t *text)
{
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return;
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
    CloseClipboard();
}

void WINAPI LingotrovePluginExecute(HWND mainWindow, const wchar_t *sourceCode, const wchar_t *sourceText,
                                    const wchar_t *targetCode, const wchar_t *targetText)
{
    wchar_t translation[128];
    wchar_t line[2 * 128 + 1];
    if (sourceText[0] == 0 && targetText[0] == 0)
        return;
    if (targetText[0] == 0) {
        PluginTranslateRequest request;
        request.sourceCode = sourceCode;
        request.text = sourceText;
        request.targetCode = targetCode;
        request.result = translation;
        translation[0] = 0;
        SendMessageW(mainWindow, WM_PLUGIN_TRANSLATE, LINGOTROVE_SERVICE_TAG, (LPARAM)&request);
        targetText = translation;
    }
    _snwprintf(line, 2 * 128 + 1, L"%ls\t%ls", sourceText, targetText);
    line[2 * 128] = 0;
    CopyText(mainWindow, line);
}
