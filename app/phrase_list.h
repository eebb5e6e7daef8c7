// The main window's selectors (category 10, target language 11, source language 13) and phrase
// list (12), and the actions on the selected rows of a list. Main thread only.
#pragma once

#include <windows.h>

#include "store/phrase_store.h"
#include "store/selected_rows.h"

// The item data of the category selector's entry for the pairs of no existing category, shown
// last when the store has such pairs. No category has this ID, nor does it stand for every
// category as 0 does.
constexpr LPARAM kNoCategoryItem = -2;

// Refills the three selectors: target language on the second item, source language and category
// on the first.
void FillSelectors(HWND window, sqlite3 *db);

// Refills one combo box with categories (categories != FALSE) or languages. With keep set the
// selected record stays selected wherever it now stands; when it has gone, the item at its old
// index is selected. Without keep, control 11 gets index 1 and any other control index 0.
// A store that cannot be read to the end leaves the combo box as it was: false.
bool RefillSelector(HWND window, sqlite3 *db, BOOL keep, int controlId, BOOL categories);

// RefillSelector for the target and then the source language selector.
void RefillLanguageSelectors(HWND window, sqlite3 *db, BOOL keep);

// The selected category as the combo reports it: -1, which names no category, when nothing is
// selected.
int SelectedCategoryOrNone(HWND window);

// Refills the phrase list with the pairs of the selected category, or when no category or the
// entry kNoCategoryItem is selected with the pairs that belong to no existing category. When the store cannot be read (another
// program holds it past the busy timeout, or it is damaged), a message box says so and the
// result is false; the list then keeps the rows it showed with keepShown (a category chosen: they
// are still right, unless they were another store's) and the category selector goes back to
// them, and is emptied without (a refill after a change, which they may no longer show).
bool FillPhraseList(HWND window, sqlite3 *db, bool keepShown = false);

// Shows the phrase list's context menu at the position of the current message, or at when given,
// and carries out the chosen delete (asked first, as the Delete key asks), move or copy.
void ShowPhraseListMenu(sqlite3 *db, HWND window, HWND list, const POINT *at = nullptr);

// The same for Shift+F10 and the Menu key: the menu opens at the focused row.
void ShowPhraseListMenuFromKeyboard(sqlite3 *db, HWND window, HWND list);

// How the context menu is shown: TrackPopupMenu by default. Returns the chosen command, 0 when
// dismissed. Tests replace it, as the real menu blocks until the user chooses; null restores it.
typedef UINT (*PopupMenuTracker)(HMENU popup, int x, int y, HWND owner);
void SetPopupMenuTracker(PopupMenuTracker tracker);
