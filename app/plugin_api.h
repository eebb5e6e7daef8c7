/* Lingotrove plug-in interface: everything a plug-in and the program exchange. For plug-in
 * authors as much as for the program; C and C++ alike. The layout is fixed: plug-ins built for
 * the program rely on it.
 *
 * A plug-in is a 32-bit DLL named "*.plugin" placed beside Lingotrove.exe. At start the program
 * loads each one, calls LingotrovePluginInfo and lists the caption it gives in the Add-ons menu
 * (at most 50 plug-ins). Choosing the item calls LingotrovePluginExecute with the phrase pair of
 * the list row that has the focus. While it runs, a plug-in may send the main window the two
 * service messages below.
 *
 * Both exports use the __stdcall convention (WINAPI) and are exported by their plain names,
 * without decoration: list them in the EXPORTS section of a .def file. The program also copes
 * with a plug-in built with __cdecl by mistake, but nothing else is supported.
 */
#ifndef LINGOTROVE_PLUGIN_API_H
#define LINGOTROVE_PLUGIN_API_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What LingotrovePluginInfo returns. Only caption is read, right after the call: the record and
 * the caption need not outlive it. */
typedef struct LingotrovePluginInfoRecord {
    DWORD reserved[3];          /* not read */
    const wchar_t *caption;     /* the menu item's text (byte offset 12) */
} LingotrovePluginInfoRecord;

/* The version and the number the program passes to LingotrovePluginInfo. */
#define LINGOTROVE_PLUGIN_VERSION 0x01000000
#define LINGOTROVE_PLUGIN_NINE    9

/* Exported as "LingotrovePluginInfo". Returns the record, or NULL to decline: the plug-in is then
 * unloaded and not listed. */
typedef const LingotrovePluginInfoRecord *(WINAPI *LingotrovePluginInfoFunction)(DWORD version, DWORD nine);

/* Exported as "LingotrovePluginExecute". Runs on the program's main thread; the window waits for
 * it to return. The texts (at most 127 characters each, in buffers of 1024 units) and language
 * codes (in buffers of 128 units) are copies made for this call: they are empty when no row has
 * the focus, and whatever the plug-in writes into them changes nothing in the program. */
typedef void (WINAPI *LingotrovePluginExecuteFunction)(HWND mainWindow, const wchar_t *sourceCode,
                                                       const wchar_t *sourceText, const wchar_t *targetCode,
                                                       const wchar_t *targetText);

/* Service messages, sent (SendMessageW) to mainWindow while LingotrovePluginExecute runs. wParam
 * must be LINGOTROVE_SERVICE_TAG, lParam the address of the request; the result is 0. Any other
 * wParam is ignored. The request and its strings need only live until SendMessageW returns. */
#define LINGOTROVE_SERVICE_TAG 16

/* Says text in the language with that code, following the user's speech settings. */
#define WM_PLUGIN_SPEAK (WM_USER + 1)
typedef struct PluginSpeakRequest {
    const wchar_t *code;
    const wchar_t *text;
} PluginSpeakRequest;

/* Translates text from sourceCode into targetCode through the online service. On return result
 * (at least 128 units) holds the translation, at most 127 characters, or an empty text. */
#define WM_PLUGIN_TRANSLATE (WM_USER + 2)
typedef struct PluginTranslateRequest {
    const wchar_t *sourceCode;
    const wchar_t *text;
    const wchar_t *targetCode;
    wchar_t *result;
} PluginTranslateRequest;

#ifdef __cplusplus
}
constexpr WPARAM kPluginServiceTag = LINGOTROVE_SERVICE_TAG;
#endif

#endif
