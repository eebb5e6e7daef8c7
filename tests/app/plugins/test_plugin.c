/* A plug-in for the tests, built in several variants from this one source:
 *   TEST_PLUGIN_CDECL    exports built as __cdecl instead of __stdcall
 *   TEST_PLUGIN_DECLINE  LingotrovePluginInfo returns NULL
 *   TEST_PLUGIN_SCRIBBLE LingotrovePluginExecute writes over the strings it is given
 * (the variants without one of the exports differ by their .def file only). Its caption is its
 * own file name. Each run records what it received and what the services answered;
 * TestPluginLastCall returns that record. */
#include <stdio.h>
#include <wchar.h>

#include "app/plugin_api.h"

#ifdef TEST_PLUGIN_CDECL
#define EXPORTED __cdecl
#else
#define EXPORTED WINAPI
#endif

static HINSTANCE self;
static wchar_t caption[MAX_PATH];
static LingotrovePluginInfoRecord info;
static wchar_t lastCall[2048];

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

const LingotrovePluginInfoRecord *EXPORTED LingotrovePluginInfo(DWORD version, DWORD nine)
{
    const wchar_t *name;
    GetModuleFileNameW(self, caption, MAX_PATH);
    name = wcsrchr(caption, L'\\');
    if (name)
        memmove(caption, name + 1, (wcslen(name + 1) + 1) * sizeof(wchar_t));
    _snwprintf(caption + wcslen(caption), 32, L" %lx %lu", (unsigned long)version, (unsigned long)nine);
    info.caption = caption;
#ifdef TEST_PLUGIN_DECLINE
    return NULL;
#else
    return &info;
#endif
}

static void Scribble(const wchar_t *text)
{
    wchar_t *writable = (wchar_t *)text;
    size_t i;
    for (i = 0; writable[i] != 0; i++)
        writable[i] = L'#';
}

void EXPORTED LingotrovePluginExecute(HWND mainWindow, const wchar_t *sourceCode, const wchar_t *sourceText,
                                      const wchar_t *targetCode, const wchar_t *targetText)
{
    wchar_t translation[128];
    PluginTranslateRequest translate;
    PluginSpeakRequest speak;
    LRESULT answers[3];
    wmemset(translation, L'?', 128);
    translate.sourceCode = sourceCode;
    translate.text = sourceText;
    translate.targetCode = targetCode;
    translate.result = translation;
    speak.code = targetCode;
    speak.text = targetText;
    answers[0] = SendMessageW(mainWindow, WM_PLUGIN_TRANSLATE, LINGOTROVE_SERVICE_TAG, (LPARAM)&translate);
    answers[1] = SendMessageW(mainWindow, WM_PLUGIN_SPEAK, LINGOTROVE_SERVICE_TAG, (LPARAM)&speak);
    answers[2] = SendMessageW(mainWindow, WM_PLUGIN_SPEAK, 0, (LPARAM)&speak);
    _snwprintf(lastCall, 2048, L"%ls|%ls|%ls|%ls|%ls|%ld %ld %ld", sourceCode, sourceText, targetCode, targetText,
               translation, (long)answers[0], (long)answers[1], (long)answers[2]);
    lastCall[2047] = 0;
#ifdef TEST_PLUGIN_SCRIBBLE
    Scribble(sourceCode);
    Scribble(sourceText);
    Scribble(targetCode);
    Scribble(targetText);
#else
    (void)Scribble;
#endif
}

const wchar_t *__cdecl TestPluginLastCall(void)
{
    return lastCall;
}
