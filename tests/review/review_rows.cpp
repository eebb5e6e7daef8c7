#include "tests/review/review_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "sqlite3.h"
#include "store/statement.h"

namespace {

void Run(sqlite3 *db, const std::wstring &sql)
{
    ASSERT_EQ(RunStatement(db, sql.c_str()), SQLITE_DONE) << std::string(sql.begin(), sql.end());
}

}  // namespace

void MakeReviewTables(sqlite3 *db)
{
    Run(db, L"CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, "
            L"LAST INTEGER, REPS INTEGER, LAPSES INTEGER)");
    Run(db, L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, RATING INTEGER, "
            L"ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)");
}

void AddReviewState(sqlite3 *db, int phraseId, double stability, UnixTime due)
{
    Run(db, L"INSERT INTO REVIEW VALUES(" + std::to_wstring(phraseId) + L", " + std::to_wstring(stability) +
                L", 5.0, " + std::to_wstring(due) + L", " + std::to_wstring(due - 86400) + L", 1, 0)");
}

void AddRating(sqlite3 *db, int phraseId, UnixTime time, int rating, double elapsed)
{
    Run(db, L"INSERT INTO REVIEWLOG(PHRASEID, TIME, RATING, ELAPSED, STABILITY, DIFFICULTY) VALUES(" +
                std::to_wstring(phraseId) + L", " + std::to_wstring(time) + L", " + std::to_wstring(rating) + L", " +
                (elapsed < 0 ? std::wstring(L"NULL") : std::to_wstring(elapsed)) + L", 3.0, 5.0)");
}
