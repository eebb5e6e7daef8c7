// Statement formatting and the prepare / step / finalize pattern.
#include "store/statement.h"

#include <windows.h>
#include <stdarg.h>
#include <wchar.h>

#include "sqlite3.h"
#include "store/text.h"

static bool Append(wchar_t *buffer, size_t size, size_t *used, const wchar_t *text, size_t length)
{
    if (*used + length + 1 > size)
        return false;
    wmemcpy(buffer + *used, text, length);
    *used += length;
    return true;
}

bool FormatStatement(wchar_t *buffer, size_t size, const wchar_t *format, ...)
{
    va_list args;
    va_start(args, format);
    size_t used = 0;
    bool fits = size > 0;
    for (const wchar_t *p = format; fits && *p != 0; p++) {
        if (p[0] == L'%' && p[1] == L'l' && p[2] == L'l' && p[3] == L'd') {
            wchar_t digits[24];
            int length = _snwprintf(digits, 24, L"%lld", va_arg(args, long long));
            fits = Append(buffer, size, &used, digits, static_cast<size_t>(length));
            p += 3;
        } else if (p[0] == L'%' && p[1] == L'd') {
            wchar_t digits[16];
            int length = _snwprintf(digits, 16, L"%d", va_arg(args, int));
            fits = Append(buffer, size, &used, digits, static_cast<size_t>(length));
            p++;
        } else if (p[0] == L'%' && p[1] == L's') {
            const wchar_t *text = va_arg(args, const wchar_t *);
            fits = Append(buffer, size, &used, text, wcslen(text));
            p++;
        } else {
            fits = Append(buffer, size, &used, p, 1);
        }
    }
    va_end(args);
    if (size > 0)
        buffer[fits ? used : 0] = 0;
    return fits;
}

int RunStatement(sqlite3 *db, const wchar_t *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return kNotPrepared;
    int result = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return result;
}

const wchar_t *ColumnText(sqlite3_stmt *statement, int column)
{
    const void *text = sqlite3_column_text16(statement, column);
    return text ? static_cast<const wchar_t *>(text) : L"";
}

bool QueryFirstText(sqlite3 *db, const wchar_t *sql, wchar_t *text, size_t size)
{
    text[0] = 0;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    bool found = sqlite3_step(statement) == SQLITE_ROW;
    if (found)
        CopyBounded(text, ColumnText(statement, 0), size);
    sqlite3_finalize(statement);
    return found;
}

bool StoreHasTable(sqlite3 *db, const wchar_t *name, bool *exists)
{
    wchar_t sql[256], found[16];
    if (!FormatStatement(sql, 256, L"SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND "
                                   L"upper(name)='%s'", name) ||
        !QueryFirstText(db, sql, found, 16))
        return false;
    *exists = found[0] != L'0';
    return true;
}

int LastFailure(sqlite3 *db)
{
    int code = sqlite3_errcode(db) & 0xFF;
    return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE ? SQLITE_ERROR : code;
}

int RunWriteTransaction(sqlite3 *db, const std::function<bool()> &write)
{
    if (!sqlite3_get_autocommit(db))
        return SQLITE_MISUSE;
    if (RunStatement(db, L"BEGIN IMMEDIATE") != SQLITE_DONE)
        return LastFailure(db);
    int result = SQLITE_OK;
    if (!write())
        result = LastFailure(db);
    else if (RunStatement(db, L"COMMIT") != SQLITE_DONE)
        result = LastFailure(db);
    // A COMMIT that timed out waiting for a reader leaves the transaction open; one that failed
    // on a full disk may have ended it already.
    if (result != SQLITE_OK && !sqlite3_get_autocommit(db))
        RunStatement(db, L"ROLLBACK");
    return result;
}

ReadTransaction::ReadTransaction(sqlite3 *connection) : db(connection), own(false)
{
    own = sqlite3_get_autocommit(db) != 0 && RunStatement(db, L"Begin") == SQLITE_DONE;
}

ReadTransaction::~ReadTransaction()
{
    // Nothing was written in it: ending it only lets go of the file's lock.
    if (own)
        RunStatement(db, L"Rollback");
}

static bool g_scratchRefused = false;

void SetScratchRefused(bool refused)
{
    g_scratchRefused = refused;
}

ScratchBlock::ScratchBlock()
{
    statement = g_scratchRefused
        ? nullptr
        : static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, kScratchBytes));
    first = statement ? statement + kStatementUnits : nullptr;
    second = statement ? statement + kStatementUnits + kValueUnits : nullptr;
}

ScratchBlock::~ScratchBlock()
{
    if (statement)
        HeapFree(GetProcessHeap(), 0, statement);
}

bool QuoteInto(wchar_t *region, const wchar_t *text)
{
    if (DoubledLength(text) + 1 > kValueUnits)
        return false;
    DoubleQuotes(text, region);
    return true;
}
