/* Example plug-in: says the focused pair's translation in its language, or with Shift held the
 * phrase itself, through the program's speak service (and so through the user's speech
 * settings). Build it as a 32-bit DLL named speak_pair.plugin and place it beside
 * Lingotrove.exe. */
#include "app/plugin_api.h"

static const LingotrovePluginInfoRecord info = {{0, 0, 0}, L"\u6717\u8B80\u7FFB\u8B6F"};

const LingotrovePluginInfoRecord *WINAPI LingotrovePluginInfo(DWORD version, DWORD nine)
{
    (void)nine;
    /* Only a program that speaks this interface gets the plug-in. */
    return version >= LINGOTROVE_PLUGIN_VERSION ? &info : NULL;
}

void WINAPI LingotrovePluginExecute(HWND mainWindow, const wchar_t *sourceCode, const wchar_t *sourceText,
                                    const wchar_t *targetCode, const wchar_t *targetText)
{
    /* One side at a time: two requests in a row would play at once. */
    PluginSpeakRequest request;
    int phrase = (GetKeyState(VK_SHIFT) & 0x80) != 0;
    request.code = phrase ? sourceCode : targetCode;
    request.text = phrase ? sourceText : targetText;
    if (request.text[0] != 0)
        SendMessageW(mainWindow, WM_PLUGIN_SPEAK, LINGOTROVE_SERVICE_TAG, (LPARAM)&request);
}
