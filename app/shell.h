// The process's shared state, the main window's title, and the library search and keyboard layout
// chosen at start.
// Everything here runs on the main thread.
#pragma once

#include <windows.h>

#include "common/dialogs.h"

struct sqlite3;

// Created by the start-up routine and handed to the main window as its creation parameter.
struct ShellState {
    sqlite3 *db;                // the open phrase store; replaced when another database opens
    unsigned pluginCount;       // 0..50
    HMODULE *pluginModules;     // 50 entries in menu order, or null
    bool pluginRunning;         // while a plug-in's LingotrovePluginExecute runs: its services answer
};

// Sets the window text to the database's file name without its last extension, in string 1.
void SetMainWindowTitle(HWND window, const wchar_t *databasePath);

// Takes the current folder, and where this Windows can also PATH, out of the process's library
// search. Called first thing at start.
void RestrictLibrarySearch();

// Activates the Spanish (United States) layout variant 0xF001540A when it is installed.
void SelectPreferredKeyboardLayout();
