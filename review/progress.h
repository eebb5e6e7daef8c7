// What the learner's progress dialog shows of a store: how many pairs are new, learning or mature,
// what is due, what was rated today, how well due pairs were recalled and what falls due next.
#pragma once

#include <stddef.h>

#include "review/learning_day.h"

struct sqlite3;

constexpr int kForecastDays = 30;
// A reviewed pair whose stability reaches this many days counts as mature.
constexpr double kMatureStability = 21.0;

struct ProgressCounts {
    int newPairs;          // no review state yet
    int learning;          // stability below kMatureStability
    int mature;
    int dueToday;          // reviewed pairs due on or before today's learning day, overdue ones too
    int ratedToday;        // ratings given since the start of today's learning day
    int recallRatings;     // ratings of the last 30 learning days a day or more after the pair's last
    int recalled;          // of which Good
    int dueOnDay[kForecastDays];   // [0] is today with the overdue pairs, [i] the i-th learning day after
};

// Reads the counts of category categoryId (0: every category) as they stand at now. A store
// without review tables has every pair new and all else 0. Review rows whose pair is gone are
// not counted. Returns false, with everything 0, when a query failed or the review tables are
// another program's; cause, when given, then receives SQLite's code or kForeignReviewTables.
bool ReadProgress(sqlite3 *db, int categoryId, UnixTime now, ProgressCounts *counts, int *cause = nullptr);

// The retention as a whole percentage ("93%"), or "\x2014" when no pair has been rated on a
// later review yet.
void FormatRetention(const ProgressCounts &counts, wchar_t *text, size_t size);
