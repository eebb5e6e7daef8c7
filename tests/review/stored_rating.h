// Test helper: a rating of a pair as the review window gives it, with the texts it shows, which
// are the pair's texts as stored now.
#pragma once

#include <string>

#include "review/review_store.h"
#include "sqlite3.h"
#include "store/statement.h"

// RecordRating's result; a pair not in the store is rated with empty texts.
inline int RateAsShown(sqlite3 *db, long long phraseId, int rating, UnixTime now)
{
    std::wstring source, target;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT SOURCE,TARGET FROM PHRASE WHERE ID=?", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(statement, 1, phraseId);
        if (sqlite3_step(statement) == SQLITE_ROW) {
            source = ColumnText(statement, 0);
            target = ColumnText(statement, 1);
        }
        sqlite3_finalize(statement);
    }
    return RecordRating(db, phraseId, source, target, rating, now);
}
