// Lingotrove's start-up and shut-down: the main window is a modal dialog and its loop is the
// process's only message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_window.h"
#include "app/shell.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    InitCommonControls();
    if (SUCCEEDED(CoInitialize(nullptr))) {
        SelectPreferredKeyboardLayout();
        ShellState shell = {};
        DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                        reinterpret_cast<LPARAM>(&shell));
        sqlite3_close(shell.db);
        CoUninitialize();
    }
    ExitProcess(0);
}
