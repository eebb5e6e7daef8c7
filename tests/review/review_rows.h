// Test helpers: review state written straight into a phrase store, as the review itself keeps it.
#pragma once

#include "review/learning_day.h"

struct sqlite3;

// Creates REVIEW and REVIEWLOG as the first rating does.
void MakeReviewTables(sqlite3 *db);
// A pair's memory state: its stability in days and when it is next due.
void AddReviewState(sqlite3 *db, int phraseId, double stability, UnixTime due);
// One rating; elapsed < 0 stands for a pair's first rating, which has no days since a previous one.
void AddRating(sqlite3 *db, int phraseId, UnixTime time, int rating, double elapsed);
