// The process's shared state and the small user-interface routines every dialog uses.
// Everything here runs on the main thread.
#pragma once

#include <windows.h>

struct sqlite3;

// Created by the start-up routine and handed to the main window as its creation parameter.
struct ShellState {
    sqlite3 *db;                // the open phrase store; replaced when another database opens
    unsigned pluginCount;       // 0..50
    HMODULE *pluginModules;     // 50 entries in menu order, or null
};

// Module that dialogs, menus and strings are loaded from: Lingotrove.exe.mui beside the program
// when it exists and loads, else the program itself. Callers never keep the handle.
HMODULE GetResourceModule();

// Gives a dialog the program icon (always from the program itself) and shows keyboard cues.
void SetDialogIcon(HWND dialog);

// Runs the common open (save == FALSE) or save dialog. fileName holds MAX_PATH units and receives
// the chosen path; the filter comes from string filterId with '|' as separator.
// Returns non-zero when a file was chosen.
BOOL AskFileName(HWND owner, wchar_t *fileName, BOOL save, const wchar_t *defaultExtension,
                 UINT filterId);

// Item data of the combo box's selection, or 0 when nothing is selected.
LPARAM GetComboSelectionData(HWND dialog, int controlId);

// Sets the window text to the database's file name without its last extension, in string 1.
void SetMainWindowTitle(HWND window, const wchar_t *databasePath);

// Activates the Spanish (United States) layout variant 0xF001540A when it is installed.
void SelectPreferredKeyboardLayout();

// The folder of the program (no trailing backslash) in a MAX_PATH buffer.
void GetProgramFolder(wchar_t *folder);

// Writes format into buffer (size units) with its first "%s" replaced by text. Any other '%'
// is copied as it stands, so a translated format string cannot make it read missing arguments.
// The result is cut to fit.
void FormatWithText(wchar_t *buffer, size_t size, const wchar_t *format, const wchar_t *text);
