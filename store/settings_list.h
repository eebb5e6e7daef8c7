// The record lists of the category and language settings dialogs.
#pragma once

#include <windows.h>

struct sqlite3;

// Empties the list and fills it from sql, whose columns are the id and then one text per column.
// Returns SQLITE_OK, or SQLite's code when the records could not all be read: the list is then
// left empty rather than showing some of them as if they were all.
int FillSettingsList(HWND list, sqlite3 *db, const wchar_t *sql, int columns);

// Shows the record with id after an add: when a row for it is already in the list, that row is
// selected and scrolled into view instead of adding a second one; otherwise a row with the texts
// is added (second may be null) and scrolled into view.
void ShowAddedRecord(HWND list, LPARAM id, const wchar_t *first, const wchar_t *second);
