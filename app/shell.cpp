// The main window's title and the keyboard layout.
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

void SelectPreferredKeyboardLayout()
{
    HKL layouts[32];
    int count = GetKeyboardLayoutList(32, layouts);
    for (int i = 0; i < count; i++)
        if (reinterpret_cast<UINT_PTR>(layouts[i]) == 0xF001540A)
            ActivateKeyboardLayout(layouts[i], 0);
}
