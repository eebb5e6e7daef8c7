// The rows of categories the phrase list has left, kept so that going back to one costs no reading
// and no sorting, for as long as the store has not changed since they were read. Any change to the
// store, through any connection, makes every kept set stale; stale sets are never shown. Main
// thread only.
#pragma once

#include <windows.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One row of the list: its pair's ID and where its two texts start in the texts they are kept with.
struct PhraseRow {
    long long id;
    UINT source;
    UINT target;
};

// What a set of rows was read with, and the store as it stood then.
struct RowsOrigin {
    std::weak_ptr<const void> connection;  // expires when the connection closes
    std::string sql;                       // with its values bound, in UTF-8
    long long dataVersion = 0;             // PRAGMA data_version: other connections' commits
    long long changes = 0;                 // the connection's own rows written
    LCID locale = 0;                       // the order's
};

// The origin of the rows statement reads, taken before it is stepped. SQLITE_OK when their staying
// right can be told. SQLITE_BUSY when the store stayed locked by another connection for the whole
// busy timeout: a read now would most likely wait as long again and fail. Another code when it
// cannot be told: inside a transaction, which may yet be rolled back, or the store not readable.
int OriginOf(sqlite3_stmt *statement, RowsOrigin *origin);

// Whether rows read at origin a are still right at b: the same connection, nothing written since,
// the same order.
bool SameStoreState(const RowsOrigin &a, const RowsOrigin &b);

// Whether rows read at origin were read on db: rows of a connection closed since never were.
bool ReadOnConnection(const RowsOrigin &origin, sqlite3 *db);

// A set of rows with its texts, each followed by its terminator; texts[0] is the empty text.
struct KeptRows {
    RowsOrigin origin;
    std::vector<wchar_t> texts;
    std::vector<PhraseRow> rows;
};

// Most recently kept first.
struct RowKeeper {
    std::list<KeptRows> kept;
};

// Keeps rows; the longest kept go once all together take more than a set budget of memory.
void KeepRows(RowKeeper *keeper, KeptRows &&rows);

// Hands back the rows read with now's statement when the store is as it was then; every kept set
// no longer right is let go. False when there are none.
bool TakeKeptRows(RowKeeper *keeper, const RowsOrigin &now, KeptRows *rows);

// The bytes the kept rows take.
size_t KeptRowsBytes(const RowKeeper &keeper);
