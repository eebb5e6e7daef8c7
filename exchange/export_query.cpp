// Building the export query.
#include "exchange/export_query.h"

#include <wchar.h>

#include "sqlite3.h"
#include "store/statement.h"

// How the category is joined: for all categories (0) the pairs that belong to no existing
// category come too, with no description; otherwise only the pairs of that category.
static bool CategoryJoin(int categoryId, wchar_t *join)
{
    if (categoryId == 0) {
        wcscpy(join, L"left join category c on p.categoryid = c.id");
        return true;
    }
    return FormatStatement(join, 96, L"join category c on p.categoryid = c.id and p.categoryid = %d", categoryId);
}

unsigned CountExportRows(sqlite3 *db, int categoryId)
{
    wchar_t join[96];
    wchar_t sql[512];
    if (!CategoryJoin(categoryId, join) ||
        !FormatStatement(sql, 512,
                         L"select count(*) from phrase p %s "
                         L"join language s on p.slanguageid = s.id join language t on p.tlanguageid = t.id",
                         join))
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
    wchar_t join[96];
    if (!CategoryJoin(categoryId, join))
        return nullptr;
    const wchar_t *first = reversed ? L"target" : L"source";
    const wchar_t *second = reversed ? L"source" : L"target";
    wchar_t sql[512];
    if (!FormatStatement(sql, 512,
                         L"select c.description, p.%s, p.%s, %s.code, %s.code, c.id from phrase p "
                         L"%s join language s on p.slanguageid = s.id "
                         L"join language t on p.tlanguageid = t.id order by c.description, p.%s",
                         first, second, reversed ? L"t" : L"s", reversed ? L"s" : L"t", join, first))
        return nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return statement;
}
