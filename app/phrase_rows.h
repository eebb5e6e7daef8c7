// The phrase list's rows, kept by the program. The list view (control 12) is owner-data: it holds
// only the number of rows, the selection and the focus, so filling or emptying it costs the same
// at any size. To the rest of the program it still behaves as the sorted list it was: inserting,
// reading, changing, finding and deleting rows through the list's messages works on these rows
// (the list is subclassed), SelectedRowIds is answered in one message, and the texts reach the
// screen and screen readers through LVN_GETDISPINFO. Main thread only.
#pragma once

#include <windows.h>

struct sqlite3_stmt;

// Takes over the rows of list, an owner-data report list view without rows. They go with it.
void AttachPhraseRows(HWND list);

// Replaces the rows with those of a prepared statement giving ID, SOURCE and TARGET of PHRASE,
// placed as a sorted list view given them in the order of ORDER BY SOURCE places them: by lstrcmpW
// on the source, sources that compare equal so in the reverse of that order. The statement needs
// no ORDER BY: sorting here is cheaper. The selection is cleared.
// The rows replaced are kept while nothing is written to the store, and a statement of the same
// text on the same connection then gets them back without being stepped.
// Returns SQLITE_OK, or SQLite's code when the rows could not all be read (the store busy past
// the timeout, damaged): the rows shown then stay as they were, but for rows of another
// connection, which go.
// loadedFor is the caller's note of what the rows are, read back by PhraseRowsLoadedFor.
int LoadPhraseRows(HWND list, sqlite3_stmt *statement, LPARAM loadedFor);
LPARAM PhraseRowsLoadedFor(HWND list);

// Adds a row in its sorted place, as LVM_INSERTITEMW does but with the store's 64-bit ID and the
// target too. Returns its index.
int InsertPhraseRow(HWND list, long long id, const wchar_t *source, const wchar_t *target);

// Sets both texts of row; a row whose source changed moves to its sorted place with its selection
// and focus. Returns its index afterwards, -1 when there is no such row.
int SetPhraseRowTexts(HWND list, int row, const wchar_t *source, const wchar_t *target);

// The store ID of row, 0 when there is no such row.
long long PhraseRowId(HWND list, int row);

// Answers the notifications an owner-data list sends its parent for rows (LVN_GETDISPINFOW,
// LVN_ODFINDITEMW). Returns whether the notification was one; *result is then its answer.
bool AnswerPhraseListNotify(const NMHDR *header, LRESULT *result);

// The bytes the rows of list hold, and in *textBytes the UTF-16 bytes of their texts alone
// (terminators not counted): what a benchmark compares.
size_t PhraseRowsBytes(HWND list, size_t *textBytes);
// The bytes the rows kept of categories left hold.
size_t KeptPhraseRowsBytes(HWND list);

// The first row after row `after` (-1: from the top), going round once, whose source or target holds
// text; unless matchCase, as the user's language reads them with case ignored (İ and i, ß and SS,
// σ and ς, é composed or as e and its accent). -1 when none does.
int FindPhraseRow(HWND list, const wchar_t *text, bool matchCase, int after);
