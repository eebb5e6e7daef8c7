#include "review/review_tables.h"

#include <cwctype>
#include <string>

#include "sqlite3.h"
#include "store/statement.h"

namespace {

struct Column {
    const wchar_t *name, *type;
    bool key;   // the INTEGER PRIMARY KEY
};

struct TableForm {
    const wchar_t *name;
    const wchar_t *create;
    Column columns[7];
};

const TableForm kTables[] = {
    {L"REVIEW",
     L"CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, "
     L"LAST INTEGER, REPS INTEGER, LAPSES INTEGER)",
     {{L"PHRASEID", L"INTEGER", true},
      {L"STABILITY", L"REAL", false},
      {L"DIFFICULTY", L"REAL", false},
      {L"DUE", L"INTEGER", false},
      {L"LAST", L"INTEGER", false},
      {L"REPS", L"INTEGER", false},
      {L"LAPSES", L"INTEGER", false}}},
    {L"REVIEWLOG",
     L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, RATING INTEGER, "
     L"ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)",
     {{L"ID", L"INTEGER", true},
      {L"PHRASEID", L"INTEGER", false},
      {L"TIME", L"INTEGER", false},
      {L"RATING", L"INTEGER", false},
      {L"ELAPSED", L"REAL", false},
      {L"STABILITY", L"REAL", false},
      {L"DIFFICULTY", L"REAL", false}}},
};

const wchar_t *const kIndexes[] = {
    L"CREATE INDEX IF NOT EXISTS REVIEW_DUE ON REVIEW(DUE)",
    L"CREATE INDEX IF NOT EXISTS REVIEWLOG_PHRASE ON REVIEWLOG(PHRASEID,TIME)",
    L"CREATE INDEX IF NOT EXISTS REVIEWLOG_TIME ON REVIEWLOG(TIME)",
};

// Deleting a pair (alone, with its category or with its language) takes its review state with
// it: SQLite may give a deleted pair's id to the next new one, which must start out new.
const wchar_t kTriggerName[] = L"REVIEW_FORGET_DELETED_PAIR";
const wchar_t kCreateTrigger[] =
    L"CREATE TRIGGER IF NOT EXISTS REVIEW_FORGET_DELETED_PAIR AFTER DELETE ON PHRASE BEGIN "
    L"DELETE FROM REVIEW WHERE PHRASEID=OLD.ID; DELETE FROM REVIEWLOG WHERE PHRASEID=OLD.ID; END";

bool SameName(const std::wstring &a, const wchar_t *b)
{
    size_t length = wcslen(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; i++)
        if (std::towupper(a[i]) != std::towupper(b[i]))
            return false;
    return true;
}

// Whether sqlite_master has an entry of type and name (any case).
int HasEntry(sqlite3 *db, const wchar_t *type, const wchar_t *name, bool *found)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT 1 FROM sqlite_master WHERE type=? AND upper(name)=upper(?)", -1,
                             &statement, nullptr) != SQLITE_OK)
        return LastFailure(db);
    sqlite3_bind_text16(statement, 1, type, -1, SQLITE_STATIC);
    sqlite3_bind_text16(statement, 2, name, -1, SQLITE_STATIC);
    int step = sqlite3_step(statement);
    *found = step == SQLITE_ROW;
    sqlite3_finalize(statement);
    return step == SQLITE_ROW || step == SQLITE_DONE ? SQLITE_OK : LastFailure(db);
}

// Whether the table is there (present) and, when it is, in the form the review reads and writes:
// every column there with its type, the key column the table's only primary key, and no other
// column that a row written without it would fail on. Anything else of the name (a view, say) is
// foreign.
int CheckTable(sqlite3 *db, const TableForm &form, bool *present)
{
    *present = false;
    bool other = false;
    int result = HasEntry(db, L"table", form.name, present);
    if (result == SQLITE_OK && !*present)
        result = HasEntry(db, L"view", form.name, &other);
    if (result != SQLITE_OK)
        return result;
    if (other)
        return kForeignReviewTables;
    if (!*present)
        return SQLITE_OK;

    wchar_t sql[64];
    sqlite3_stmt *statement = nullptr;
    if (!FormatStatement(sql, 64, L"PRAGMA table_info(%s)", form.name) ||
        sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return LastFailure(db);
    bool matched[7] = {};
    bool foreign = false;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        std::wstring name = ColumnText(statement, 1), type = ColumnText(statement, 2);
        bool notNull = sqlite3_column_int(statement, 3) != 0;
        bool noDefault = sqlite3_column_type(statement, 4) == SQLITE_NULL;
        bool key = sqlite3_column_int(statement, 5) != 0;
        bool known = false;
        for (int i = 0; i < 7; i++) {
            if (!SameName(name, form.columns[i].name))
                continue;
            known = true;
            matched[i] = SameName(type, form.columns[i].type) && key == form.columns[i].key;
        }
        if (!known && (key || (notNull && noDefault)))
            foreign = true;
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE)
        return LastFailure(db);
    for (bool column : matched)
        foreign = foreign || !column;
    return foreign ? kForeignReviewTables : SQLITE_OK;
}

// Both tables' presence; SQLITE_OK, kForeignReviewTables or SQLite's code.
int CheckBoth(sqlite3 *db, bool *review, bool *log)
{
    int result = CheckTable(db, kTables[0], review);
    int other = result == SQLITE_OK || result == kForeignReviewTables ? CheckTable(db, kTables[1], log) : result;
    if (result == SQLITE_OK)
        result = other;
    return result;
}

}  // namespace

int CheckReviewTables(sqlite3 *db, bool *present)
{
    bool review = false, log = false;
    ReadTransaction read(db);
    int result = CheckBoth(db, &review, &log);
    *present = result == SQLITE_OK && review && log;
    return result;
}

int CreateReviewTables(sqlite3 *db)
{
    bool present[2] = {};
    int result = CheckBoth(db, &present[0], &present[1]);
    if (result != SQLITE_OK)
        return result;
    for (int i = 0; i < 2; i++)
        if (!present[i] && RunStatement(db, kTables[i].create) != SQLITE_DONE)
            return LastFailure(db);
    for (const wchar_t *sql : kIndexes)
        if (RunStatement(db, sql) != SQLITE_DONE)
            return LastFailure(db);
    return RunStatement(db, kCreateTrigger) == SQLITE_DONE ? SQLITE_OK : LastFailure(db);
}

int RepairReviewTables(sqlite3 *db)
{
    bool review = false, log = false, trigger = false;
    int result;
    {
        ReadTransaction read(db);
        result = CheckBoth(db, &review, &log);
        if (result == SQLITE_OK || result == kForeignReviewTables) {
            int found = HasEntry(db, L"trigger", kTriggerName, &trigger);
            if (found != SQLITE_OK)
                result = found;
        }
    }
    if (result != SQLITE_OK && result != kForeignReviewTables)
        return result;
    // Foreign tables keep no trigger of ours: its statements may fail on them.
    bool wanted = result == SQLITE_OK && review && log;
    bool createTables = result == SQLITE_OK && review != log;
    if (!createTables && trigger == wanted)
        return result;
    int written = RunWriteTransaction(db, [&] {
        if (createTables || wanted)
            return CreateReviewTables(db) == SQLITE_OK;
        wchar_t sql[64];
        return FormatStatement(sql, 64, L"DROP TRIGGER IF EXISTS %s", kTriggerName) &&
               RunStatement(db, sql) == SQLITE_DONE;
    });
    return written == SQLITE_OK ? result : written;
}
