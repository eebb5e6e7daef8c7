// Running a store operation over the selected rows of a list view whose rows hold record ids:
// the phrase list and the settings dialogs' lists. Main thread only.
#pragma once

#include <windows.h>

#include "store/phrase_store.h"

// Removes every selected row of list, top to bottom, and runs operation on their record ids in
// that order with extra, all inside one transaction. With confirm set, asks first (No changes
// nothing).
void ForEachSelectedRow(sqlite3 *db, HWND list, RowOperation operation, int extra, BOOL confirm);
