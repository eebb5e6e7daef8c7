/* A plug-in for the tests, built in several variants from this one source:
 *   TEST_PLUGIN_CDECL    exports built as __cdecl instead of __stdcall
 *   TEST_PLUGIN_DECLINE  LingotrovePluginInfo returns NULL
 *   TEST_PLUGIN_SCRIBBLE LingotrovePluginExecute writes over the strings it is given
 *   TEST_PLUGIN_UNREADABLE LingotrovePluginInfo returns a record or caption placed as its file
 *                        name says (see Unreadable below), most of them unreadable
 *   TEST_PLUGIN_HELPER   its caption ends with a text from plugin_helper.dll, which it imports;
 *                        it leaves the file "<its path>.asked" when asked for its caption
 *   TEST_PLUGIN_OTHER_THREAD while it runs, a thread of its own sends the services too
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

#ifdef TEST_PLUGIN_HELPER
__declspec(dllimport) const wchar_t *__cdecl PluginHelperSuffix(void);
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

#ifdef TEST_PLUGIN_HELPER
static void MarkAsked(void)
{
    wchar_t path[MAX_PATH + 8];
    HANDLE file;
    GetModuleFileNameW(self, path, MAX_PATH);
    wcscat(path, L".asked");
    file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}
#endif

#ifdef TEST_PLUGIN_UNREADABLE
enum { PAGE = 4096 };

/* Two pages, reserved together: the first read-write, the second reserved only when second is 0,
 * else committed read-write (its protection is set by the caller once it is filled). */
static BYTE *TwoPages(DWORD second)
{
    BYTE *base = (BYTE *)VirtualAlloc(NULL, 2 * PAGE, MEM_RESERVE, PAGE_NOACCESS);
    VirtualAlloc(base, PAGE, MEM_COMMIT, PAGE_READWRITE);
    if (second)
        VirtualAlloc(base + PAGE, PAGE, MEM_COMMIT, PAGE_READWRITE);
    return base;
}

/* The caption copied to start bytesBefore bytes before the second page, which then gets
 * protection second: the text crosses from one region into another. */
static const LingotrovePluginInfoRecord *CaptionAcross(size_t bytesBefore, DWORD second)
{
    BYTE *base = TwoPages(second);
    DWORD old;
    BYTE *text = base + PAGE - bytesBefore;
    memcpy(text, caption, (wcslen(caption) + 1) * sizeof(wchar_t));
    VirtualProtect(base + PAGE, PAGE, second, &old);
    info.caption = (const wchar_t *)text;
    return &info;
}

/* Text without a terminator that runs from bytesBefore bytes before the second page, which is
 * only reserved, up to it. */
static const LingotrovePluginInfoRecord *CaptionUnterminated(size_t bytesBefore)
{
    BYTE *text = TwoPages(0) + PAGE - bytesBefore;
    memset(text, 'x', bytesBefore);
    info.caption = (const wchar_t *)text;
    return &info;
}

/* What a plug-in whose information function was declared void might leave in EAX, chosen by
 * the plug-in's file name; the names ending in "_across" are readable and accepted. */
static const LingotrovePluginInfoRecord *Unreadable(void)
{
    wchar_t name[MAX_PATH];
    BYTE *base;
    DWORD old;
    wcscpy(name, caption);
    *wcschr(name, L'.') = 0;
    if (!wcscmp(name, L"low_address"))
        return (const LingotrovePluginInfoRecord *)0x10;
    if (!wcscmp(name, L"freed")) {
        base = (BYTE *)VirtualAlloc(NULL, PAGE, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        VirtualFree(base, 0, MEM_RELEASE);
        return (const LingotrovePluginInfoRecord *)base;
    }
    if (!wcscmp(name, L"reserved"))
        return (const LingotrovePluginInfoRecord *)(TwoPages(0) + PAGE);
    if (!wcscmp(name, L"guard") || !wcscmp(name, L"no_access")) {
        base = TwoPages(1);
        ((LingotrovePluginInfoRecord *)(base + PAGE))->caption = caption;
        VirtualProtect(base + PAGE, PAGE, name[0] == L'g' ? PAGE_READWRITE | PAGE_GUARD : PAGE_NOACCESS, &old);
        return (const LingotrovePluginInfoRecord *)(base + PAGE);
    }
    if (!wcscmp(name, L"straddling"))   /* the caption field lies in the reserved page */
        return (const LingotrovePluginInfoRecord *)(TwoPages(0) + PAGE - 8);
    if (!wcscmp(name, L"caption_low_address")) {
        info.caption = (const wchar_t *)0x10;
        return &info;
    }
    if (!wcscmp(name, L"caption_unterminated"))
        return CaptionUnterminated(8);
    if (!wcscmp(name, L"caption_odd_unterminated"))   /* the last unit straddles the boundary */
        return CaptionUnterminated(7);
    if (!wcscmp(name, L"caption_across"))
        return CaptionAcross(8, PAGE_READONLY);
    if (!wcscmp(name, L"caption_odd_across"))
        return CaptionAcross(7, PAGE_EXECUTE_READ);
    return NULL;
}
#endif

const LingotrovePluginInfoRecord *EXPORTED LingotrovePluginInfo(DWORD version, DWORD nine)
{
    const wchar_t *name;
    GetModuleFileNameW(self, caption, MAX_PATH);
    name = wcsrchr(caption, L'\\');
    if (name)
        memmove(caption, name + 1, (wcslen(name + 1) + 1) * sizeof(wchar_t));
    _snwprintf(caption + wcslen(caption), 32, L" %lx %lu", (unsigned long)version, (unsigned long)nine);
    info.caption = caption;
#ifdef TEST_PLUGIN_HELPER
    wcscat(caption, PluginHelperSuffix());
    MarkAsked();
#endif
#if defined(TEST_PLUGIN_DECLINE)
    return NULL;
#elif defined(TEST_PLUGIN_UNREADABLE)
    return Unreadable();
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

#ifdef TEST_PLUGIN_OTHER_THREAD
/* The services asked for by another thread: "owl" to be translated and said. */
static HWND otherThreadWindow;
static wchar_t otherThreadTranslation[128];
static LRESULT otherThreadAnswers[2];

static DWORD WINAPI SendFromOtherThread(void *unused)
{
    PluginTranslateRequest translate = {L"en", L"owl", L"es", otherThreadTranslation};
    PluginSpeakRequest speak = {L"en", L"owl"};
    (void)unused;
    otherThreadAnswers[0] = SendMessageW(otherThreadWindow, WM_PLUGIN_TRANSLATE, LINGOTROVE_SERVICE_TAG, (LPARAM)&translate);
    otherThreadAnswers[1] = SendMessageW(otherThreadWindow, WM_PLUGIN_SPEAK, LINGOTROVE_SERVICE_TAG, (LPARAM)&speak);
    return 0;
}

/* Lets the other thread's messages in until it ends, as a plug-in with a window of its own would. */
static void RunOtherThread(HWND mainWindow)
{
    HANDLE thread;
    MSG message;
    otherThreadWindow = mainWindow;
    wcscpy(otherThreadTranslation, L"untouched");
    thread = CreateThread(NULL, 0, SendFromOtherThread, NULL, 0, NULL);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    CloseHandle(thread);
}
#endif

void EXPORTED LingotrovePluginExecute(HWND mainWindow, const wchar_t *sourceCode, const wchar_t *sourceText,
                                      const wchar_t *targetCode, const wchar_t *targetText)
{
    wchar_t translation[128];
    PluginTranslateRequest translate;
    PluginSpeakRequest speak;
    LRESULT answers[3];
#ifdef TEST_PLUGIN_OTHER_THREAD
    RunOtherThread(mainWindow);
#endif
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
#ifdef TEST_PLUGIN_OTHER_THREAD
    _snwprintf(lastCall + wcslen(lastCall), 2048 - wcslen(lastCall), L"|other thread: %ls %ld %ld",
               otherThreadTranslation, (long)otherThreadAnswers[0], (long)otherThreadAnswers[1]);
#endif
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
