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
void LoadPhraseRows(HWND list, sqlite3_stmt *statement);

// Answers the notifications an owner-data list sends its parent for rows (LVN_GETDISPINFOW,
// LVN_ODFINDITEMW). Returns whether the notification was one; *result is then its answer.
bool AnswerPhraseListNotify(const NMHDR *header, LRESULT *result);

// The bytes the rows of list hold, and in *textBytes the UTF-16 bytes of their texts alone
// (terminators not counted): what a benchmark compares.
size_t PhraseRowsBytes(HWND list, size_t *textBytes);
// The bytes the rows kept of categories left hold.
size_t KeptPhraseRowsBytes(HWND list);

// The first row after row `after` (-1: from the top), going round once, whose source or target holds
// text; case is ignored unless matchCase. -1 when none does.
int FindPhraseRow(HWND list, const wchar_t *text, bool matchCase, int after);
