// The progress counts, read with a handful of aggregate queries in one read transaction.
#include "review/progress.h"

#include <windows.h>

#include <string>

#include "review/fsrs.h"
#include "review/review_tables.h"
#include "sqlite3.h"
#include "store/statement.h"

namespace {

// A table that is absent, or that cannot be looked for, counts nothing.
bool TableExists(sqlite3 *db, const wchar_t *name)
{
    bool exists = false;
    return StoreHasTable(db, name, &exists) && exists;
}

// Runs sql and hands each row to take. Returns false when it could not be prepared or failed.
template <typename Take>
bool ForEachRow(sqlite3 *db, const std::wstring &sql, Take take)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        take(statement);
    sqlite3_finalize(statement);
    return result == SQLITE_DONE;
}

std::wstring Number(long long value)
{
    return std::to_wstring(value);
}

}  // namespace

bool ReadProgress(sqlite3 *db, int categoryId, UnixTime now, ProgressCounts *counts, int *cause)
{
    *counts = ProgressCounts{};
    ReadTransaction read(db);
    // The joins with PHRASE drop the rows of deleted pairs and carry the category filter.
    long long today = LearningDay(now);
    std::wstring inCategory = categoryId ? L" AND P.CATEGORYID = " + Number(categoryId) : L"";

    // Tables of another program's form are not counted from: their rows may mean anything.
    bool present = false;
    int tables = CheckReviewTables(db, &present);
    if (tables != SQLITE_OK) {
        if (cause)
            *cause = tables;
        return false;
    }
    int pairs = 0;
    bool ok = ForEachRow(db, L"SELECT COUNT(*) FROM PHRASE P WHERE 1" + inCategory,
                         [&](sqlite3_stmt *s) { pairs = sqlite3_column_int(s, 0); });
    int reviewed = 0;
    if (ok && TableExists(db, L"REVIEW")) {
        std::wstring join = L" FROM REVIEW R JOIN PHRASE P ON P.ID = R.PHRASEID WHERE 1" + inCategory;
        ok = ForEachRow(db,
                        L"SELECT COUNT(*), TOTAL(R.STABILITY < " + Number(static_cast<long long>(kMatureStability)) +
                            L"), TOTAL(R.DUE < " + Number(LearningDayStart(today + 1)) + L")" + join,
                        [&](sqlite3_stmt *s) {
                            reviewed = sqlite3_column_int(s, 0);
                            counts->learning = sqlite3_column_int(s, 1);
                            counts->dueToday = sqlite3_column_int(s, 2);
                        });
        counts->mature = reviewed - counts->learning;
        UnixTime ends[kForecastDays];
        for (int day = 0; day < kForecastDays; day++)
            ends[day] = LearningDayStart(today + day + 1);
        ok = ok && ForEachRow(db, L"SELECT R.DUE" + join + L" AND R.DUE < " + Number(ends[kForecastDays - 1]),
                              [&](sqlite3_stmt *s) {
                                  UnixTime due = sqlite3_column_int64(s, 0);
                                  int day = 0;
                                  while (due >= ends[day])
                                      day++;
                                  counts->dueOnDay[day]++;
                              });
    }
    if (ok && TableExists(db, L"REVIEWLOG")) {
        std::wstring join = L" FROM REVIEWLOG L JOIN PHRASE P ON P.ID = L.PHRASEID WHERE 1" + inCategory;
        // Ratings dated after now (a clock set back) are not today's.
        ok = ForEachRow(db, L"SELECT COUNT(*)" + join + L" AND L.TIME >= " + Number(LearningDayStart(today)) +
                                L" AND L.TIME <= " + Number(now),
                        [&](sqlite3_stmt *s) { counts->ratedToday = sqlite3_column_int(s, 0); });
        // Today and the 29 learning days before it. A first rating says nothing about recall, nor
        // does one on the day of the rating before: that is relearning, not remembering.
        ok = ok && ForEachRow(db,
                              L"SELECT COUNT(*), TOTAL(L.RATING = " + Number(kRatingGood) + L")" + join +
                                  L" AND L.ELAPSED >= 1 AND L.TIME >= " +
                                  Number(LearningDayStart(today + 1 - kForecastDays)) + L" AND L.TIME <= " +
                                  Number(now),
                              [&](sqlite3_stmt *s) {
                                  counts->recallRatings = sqlite3_column_int(s, 0);
                                  counts->recalled = sqlite3_column_int(s, 1);
                              });
    }
    if (!ok) {
        // Taken before the read transaction ends, which would leave the connection's code clear.
        if (cause)
            *cause = sqlite3_errcode(db);
        *counts = ProgressCounts{};
        return false;
    }
    counts->newPairs = pairs - reviewed;
    return true;
}

void FormatRetention(const ProgressCounts &counts, wchar_t *text, size_t size)
{
    if (counts.recallRatings == 0) {
        lstrcpynW(text, L"\x2014", static_cast<int>(size));
        return;
    }
    int percent = (counts.recalled * 100 + counts.recallRatings / 2) / counts.recallRatings;
    _snwprintf(text, size, L"%d%%", percent);
    text[size - 1] = L'\0';
}
