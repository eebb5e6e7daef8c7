// What plug-ins exchange with the main window. The layout is fixed: plug-ins built for the
// program rely on it.
#pragma once

#include <windows.h>

// Main window messages a plug-in may send; wParam must be kPluginServiceTag.
#define WM_PLUGIN_SPEAK      (WM_USER + 1)
#define WM_PLUGIN_TRANSLATE  (WM_USER + 2)
constexpr WPARAM kPluginServiceTag = 16;

// lParam of WM_PLUGIN_SPEAK: two pointers, in this order.
struct PluginSpeakRequest {
    const wchar_t *code;        // language code, as the store's LANGUAGE.CODE
    const wchar_t *text;
};

// lParam of WM_PLUGIN_TRANSLATE: four pointers, in this order.
struct PluginTranslateRequest {
    const wchar_t *sourceCode;
    const wchar_t *text;
    const wchar_t *targetCode;
    wchar_t *result;            // at least 128 units
};
