// Building the export query.
#include "exchange/export_query.h"

#include "sqlite3.h"
#include "store/statement.h"

// The category clause: empty for all categories.
static bool CategoryClause(int categoryId, wchar_t *clause)
{
    clause[0] = 0;
    return categoryId == 0 || FormatStatement(clause, 64, L"and p.categoryid = %d", categoryId);
}

unsigned CountExportRows(sqlite3 *db, int categoryId)
{
    wchar_t clause[64];
    wchar_t sql[512];
    if (!CategoryClause(categoryId, clause) ||
        !FormatStatement(sql, 512,
                         L"select count(*) from phrase p join category c on p.categoryid = c.id %s "
                         L"join language s on p.slanguageid = s.id join language t on p.tlanguageid = t.id",
                         clause))
        return 0;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return 0;
    unsigned rows = sqlite3_step(statement) == SQLITE_ROW ? static_cast<unsigned>(sqlite3_column_int(statement, 0)) : 0;
    sqlite3_finalize(statement);
    return rows;
}

sqlite3_stmt *PrepareExportQuery(sqlite3 *db, int categoryId, bool reversed)
{
    wchar_t clause[64];
    if (!CategoryClause(categoryId, clause))
        return nullptr;
    const wchar_t *first = reversed ? L"target" : L"source";
    const wchar_t *second = reversed ? L"source" : L"target";
    wchar_t sql[512];
    if (!FormatStatement(sql, 512,
                         L"select c.description, p.%s, p.%s, %s.code, %s.code, c.id from phrase p "
                         L"join category c on p.categoryid = c.id %s join language s on p.slanguageid = s.id "
                         L"join language t on p.tlanguageid = t.id order by c.description, p.%s",
                         first, second, reversed ? L"t" : L"s", reversed ? L"s" : L"t", clause, first))
        return nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return statement;
}
