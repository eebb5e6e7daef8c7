// How every statement of the program is built and run: texts formatted with %d and %lld for ids
// and '%s' for quote-doubled texts, then prepared, stepped and finalized; and how a write is
// bracketed in a transaction that always ends. All functions here run on the thread that owns the
// connection; none of them keeps state.
#pragma once

#include <stddef.h>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// Result of RunStatement when the statement could not be prepared (SQLite's own codes are >= 0).
constexpr int kNotPrepared = -1;

// Formats format into buffer (size units, terminator included). Understands %d (int), %lld
// (long long) and %s (const wchar_t *) only. Returns false, leaving an empty buffer, when the
// text would not fit: a statement is never cut.
bool FormatStatement(wchar_t *buffer, size_t size, const wchar_t *format, ...);

// Prepares sql, steps it once and finalizes it. Returns the step's result (100 row, 101 done, ...)
// or kNotPrepared when preparing failed, in which case nothing ran.
int RunStatement(sqlite3 *db, const wchar_t *sql);

// The text of a column of the current row; an empty text for SQL NULL.
const wchar_t *ColumnText(sqlite3_stmt *statement, int column);

// Runs a query and copies column 0 of its first row into text (size units). Returns true when a
// row came back; text is empty otherwise.
bool QueryFirstText(sqlite3 *db, const wchar_t *sql, wchar_t *text, size_t size);

// Whether the store has a table of that name (as SQLite matches names: case ignored). Returns
// false, leaving *exists alone, when the schema could not be read.
bool StoreHasTable(sqlite3 *db, const wchar_t *name, bool *exists);

// Runs write inside one transaction: BEGIN IMMEDIATE, write, COMMIT. The write lock is taken
// before anything is written, so a store held by another program is waited for once, for the
// whole action. write returns false when one of its statements failed.
// Returns SQLITE_OK when everything write did is in the store. Otherwise nothing of it is, the
// connection is in no transaction, and the result says why: SQLITE_BUSY (another program holds
// the store), SQLITE_FULL, SQLITE_READONLY, or another of SQLite's primary codes. A connection
// already inside a transaction gets SQLITE_MISUSE and nothing runs.
int RunWriteTransaction(sqlite3 *db, const std::function<bool()> &write);

// The primary code of the connection's last failure, never SQLITE_OK; a failure that left none
// (a statement too long to build, say) is a plain error.
int LastFailure(sqlite3 *db);

// A read transaction for the object's lifetime, begun only when the connection is in none: the
// queries run meanwhile all see one state of the file, whatever other connections commit.
struct ReadTransaction {
    sqlite3 *db;
    bool own;   // this object began it and ends it

    explicit ReadTransaction(sqlite3 *connection);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;
};

// The heap block an operation that carries texts takes for its duration: one region for the
// statement and two for quote-doubled values. The statement region is large enough for any
// statement of the store with two 259-character texts made wholly of apostrophes.
constexpr size_t kStatementUnits = 2048;
constexpr size_t kValueUnits = 1024;
constexpr size_t kScratchBytes = (kStatementUnits + 2 * kValueUnits) * sizeof(wchar_t);

// Taken from the process heap on construction and freed on destruction. When the heap refuses
// it, statement is null and the operation fails without touching the database.
struct ScratchBlock {
    wchar_t *statement;   // kStatementUnits units
    wchar_t *first;       // kValueUnits units
    wchar_t *second;      // kValueUnits units

    ScratchBlock();
    ~ScratchBlock();
    ScratchBlock(const ScratchBlock &) = delete;
    ScratchBlock &operator=(const ScratchBlock &) = delete;
};

// Quote-doubles text into a value region. Returns false when the doubled text would not fit.
bool QuoteInto(wchar_t *region, const wchar_t *text);

// Lets tests make the heap refuse every scratch block (true) or serve them again (false).
void SetScratchRefused(bool refused);
