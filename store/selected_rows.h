// Running a store operation over the selected rows of a list view whose rows hold record ids:
// the phrase list and the settings dialogs' lists. Main thread only.
#pragma once

#include <windows.h>

#include <vector>

#include "store/phrase_store.h"

// Runs operation on the record ids of list's selected rows, top to bottom, with extra, all in
// one transaction. With confirm set, asks first (No changes nothing). The rows leave the list
// only once the store has taken the whole change; when it has not, nothing is changed, the rows
// stay, a message box owned by the list's dialog says why, and the result is false.
bool ForEachSelectedRow(sqlite3 *db, HWND list, RowOperation operation, RecordId extra, BOOL confirm);

// Runs operation on each id in one transaction. SQLITE_OK when the store took it all; otherwise
// SQLite's code for why not, with nothing changed (RunWriteTransaction).
int RunOnRows(sqlite3 *db, const std::vector<long long> &ids, RowOperation operation, RecordId extra);
