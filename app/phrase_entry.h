// Typing phrase pairs in the main window: add, update, and loading a selected row back into the
// fields. Main thread only; an add may wait for the online translation.
#pragma once

#include <windows.h>

struct sqlite3;

// Stores the pair typed in fields 20 and 21 in the selected category and languages and adds its
// row to the list. With no category selected (or the entry of the pairs of no category), the
// pair goes into the category "General", made when missing and selected. When exactly one field
// is filled, the other is asked of the translation service first (an empty answer is stored as it
// is, and a message says so). Nothing happens when both are empty. A pair the category already
// holds with the same languages and texts is not stored again: its row is selected and a message
// says so. When the store refuses the pair, no row is added and a message box says so. Returns
// false when nothing was stored (the fields are to be kept), true otherwise.
bool AddPhrase(HWND window, sqlite3 *db);

// Rewrites the first selected pair with the fields and the selected languages, when both fields
// are filled; its category stays. When the store refuses it, the row stays as it was, a message
// box says so and the result is false.
bool UpdateSelectedPhrase(HWND window, sqlite3 *db);

// Puts row index of list into the fields and selects its languages in the language combos by
// description; index -1 empties the fields.
void ShowSelectedPhrase(sqlite3 *db, HWND window, HWND list, int index);
