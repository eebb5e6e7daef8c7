// Rows of categories left, kept while the store stays as it was when they were read.
#include "app/kept_rows.h"

#include "sqlite3.h"

namespace {

// All kept sets together stay within this, the rows of some 450,000 pairs of everyday phrases.
// A category larger than that is read again each time it is chosen, rather than doubling what the
// program holds while another is shown.
constexpr size_t kKeptBudget = 32u << 20;
constexpr size_t kMostKept = 8;

const char kConnectionMark[] = "lingotrove.rows";

void ForgetMark(void *mark)
{
    delete static_cast<std::shared_ptr<int> *>(mark);
}

// A token that lives exactly as long as the connection, so that a later connection, even one
// SQLite places at the same address, is never taken for it.
std::weak_ptr<const void> MarkOf(sqlite3 *db)
{
    auto *mark = static_cast<std::shared_ptr<int> *>(sqlite3_get_clientdata(db, kConnectionMark));
    if (!mark) {
        mark = new std::shared_ptr<int>(std::make_shared<int>(0));
        if (sqlite3_set_clientdata(db, kConnectionMark, mark, ForgetMark) != SQLITE_OK)
            return {};
    }
    return *mark;
}

// SQLite's result: SQLITE_ROW when the version was read.
int DataVersion(sqlite3 *db, long long *version)
{
    sqlite3_stmt *statement = nullptr;
    int result = sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &statement, nullptr);
    if (result != SQLITE_OK)
        return result;
    result = sqlite3_step(statement);
    if (result == SQLITE_ROW)
        *version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return result;
}

size_t BytesOf(const KeptRows &rows)
{
    return rows.texts.capacity() * sizeof(wchar_t) + rows.rows.capacity() * sizeof(PhraseRow);
}

}  // namespace

int OriginOf(sqlite3_stmt *statement, RowsOrigin *origin)
{
    sqlite3 *db = sqlite3_db_handle(statement);
    if (!sqlite3_get_autocommit(db))
        return SQLITE_MISUSE;
    int version = DataVersion(db, &origin->dataVersion);
    if (version != SQLITE_ROW)
        return version == SQLITE_BUSY || version == SQLITE_LOCKED ? SQLITE_BUSY : SQLITE_ERROR;
    // With the values bound to it, so that one text asking for different rows is never taken for the same.
    char *sql = sqlite3_expanded_sql(statement);
    if (!sql)
        return SQLITE_NOMEM;
    origin->sql = sql;
    sqlite3_free(sql);
    origin->connection = MarkOf(db);
    origin->changes = sqlite3_total_changes64(db);
    origin->locale = GetThreadLocale();
    return origin->connection.expired() ? SQLITE_NOMEM : SQLITE_OK;
}

bool SameStoreState(const RowsOrigin &a, const RowsOrigin &b)
{
    std::shared_ptr<const void> connection = a.connection.lock();
    return connection && connection == b.connection.lock() && a.dataVersion == b.dataVersion &&
           a.changes == b.changes && a.locale == b.locale;
}

bool ReadOnConnection(const RowsOrigin &origin, sqlite3 *db)
{
    std::shared_ptr<const void> connection = origin.connection.lock();
    return connection && connection == MarkOf(db).lock();
}

void KeepRows(RowKeeper *keeper, KeptRows &&rows)
{
    keeper->kept.push_front(std::move(rows));
    size_t bytes = 0, count = 0;
    for (auto set = keeper->kept.begin(); set != keeper->kept.end();) {
        size_t setBytes = BytesOf(*set);
        if (count == kMostKept || bytes + setBytes > kKeptBudget) {
            set = keeper->kept.erase(set);
        } else {
            bytes += setBytes;
            count++;
            ++set;
        }
    }
}

bool TakeKeptRows(RowKeeper *keeper, const RowsOrigin &now, KeptRows *rows)
{
    bool found = false;
    for (auto set = keeper->kept.begin(); set != keeper->kept.end();) {
        if (!SameStoreState(set->origin, now)) {
            set = keeper->kept.erase(set);
        } else if (!found && set->origin.sql == now.sql) {
            *rows = std::move(*set);
            set = keeper->kept.erase(set);
            found = true;
        } else {
            ++set;
        }
    }
    return found;
}

size_t KeptRowsBytes(const RowKeeper &keeper)
{
    size_t bytes = 0;
    for (const KeptRows &set : keeper.kept)
        bytes += BytesOf(set);
    return bytes;
}
