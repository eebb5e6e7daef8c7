// The daily review command: the due pairs of a category in the quiz window, or a message saying
// when the next pair is due.
#pragma once

#include <windows.h>

struct sqlite3;

// categoryId 0 reviews every category.
void RunReview(HWND window, sqlite3 *db, int categoryId);
