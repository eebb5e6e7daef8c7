// Switching the main window to another database file, and the new-database dialog (dialog 6).
// Main thread only.
#pragma once

#include <windows.h>

struct ShellState;

// Where OpenDatabase takes the file from, besides the File menu's commands 200..249.
constexpr int kOpenFromDialog = 0;
constexpr int kOpenNewDatabase = -1;

// Opens the database chosen by mode: the open dialog, a new database named in dialog 6 and
// created beside the program, or the File menu item with that command. The new connection is
// opened before the current one is closed, so a failed open changes nothing. On success
// "LastDB" names the file, and the title, selectors and list show it.
void OpenDatabase(HWND window, ShellState *shell, int mode);

// Dialog 6; the creation parameter is a buffer of MAX_PATH units that receives the full path of
// the new file when the dialog ends with 1.
INT_PTR CALLBACK NewDatabaseDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Says in a message box that the file at path is no phrase store and was not opened.
void ReportNotAStore(HWND window, const wchar_t *path);
