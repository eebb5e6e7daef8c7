// The main window (dialog 1): selectors, phrase list, entry fields and the menu commands.
#pragma once

#include <windows.h>

// Dialog procedure of the main window; the creation parameter is the ShellState.
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Replaces the database items (commands 200..249) at the end of the File popup with the
// "*.db" files of folder, names without extension, at most 50.
void RebuildDatabaseMenu(HMENU fileMenu, const wchar_t *folder);
