/* Example plug-in: says both sides of the focused phrase pair, the phrase in its language and
 * then its translation, through the program's speak service (and so through the user's speech
 * settings). Build it as a 32-bit DLL named speak_pair.plugin and place it beside Lingotrove.exe. */
#include "app/plugin_api.h"

static const LingotrovePluginInfoRecord info = {{0, 0, 0}, L"\u6717\u8B80\u8A9E\u53E5\u8207\u7FFB\u8B6F"};

const LingotrovePluginInfoRecord *WINAPI LingotrovePluginInfo(DWORD version, DWORD nine)
{
    (void)nine;
    /* Only a program that speaks this interface gets the plug-in. */
    return version >= LINGOTROVE_PLUGIN_VERSION ? &info : NULL;
}

static void Say(HWND mainWindow, const wchar_t *code, const wchar_t *text)
{
    PluginSpeakRequest request;
    if (text[0] == 0)
        return;
    request.code = code;
    request.text = text;
    SendMessageW(mainWindow, WM_PLUGIN_SPEAK, LINGOTROVE_SERVICE_TAG, (LPARAM)&request);
}

void WINAPI LingotrovePluginExecute(HWND mainWindow, const wchar_t *sourceCode, const wchar_t *sourceText,
                                    const wchar_t *targetCode, const wchar_t *targetText)
{
    Say(mainWindow, sourceCode, sourceText);
    Say(mainWindow, targetCode, targetText);
}
