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

bool CountExportRows(sqlite3 *db, int categoryId, unsigned *rows)
{
    *rows = 0;
    wchar_t join[96];
    wchar_t sql[512];
    if (!CategoryJoin(categoryId, join) ||
        !FormatStatement(sql, 512,
                         L"select count(*) from phrase p %s "
                         L"join language s on p.slanguageid = s.id join language t on p.tlanguageid = t.id",
                         join))
        return false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    bool counted = sqlite3_step(statement) == SQLITE_ROW;
    if (counted)
        *rows = static_cast<unsigned>(sqlite3_column_int(statement, 0));
    sqlite3_finalize(statement);
    return counted;
}

sqlite3_stmt *PrepareExportQuery(sqlite3 *db, int categoryId, bool reversed)
{
    wchar_t join[96];
    if (!CategoryJoin(categoryId, join))
        return nullptr;
    const wchar_t *first = reversed ? L"target" : L"source";
    const wchar_t *second = reversed ? L"source" : L"target";
    // The rows are ordered by category description and then the first text, nulls first, each
    // compared as stored. SQLite sorts a single key far faster than two keys whose first one
    // mostly ties (ten pairs or more in a category), so the two are joined into one key that
    // sorts the same: a missing description is U+0000 and a present one starts with U+0001, so
    // nulls come first; U+0000 ends a description, so it sorts before any longer one it begins;
    // a missing text is empty and a present one starts with U+0001.
    wchar_t sql[768];
    if (!FormatStatement(sql, 768,
                         L"select c.description, p.%s, p.%s, %s.code, %s.code, c.id from phrase p "
                         L"%s join language s on p.slanguageid = s.id "
                         L"join language t on p.tlanguageid = t.id order by "
                         L"(case when c.description is null then char(0) else char(1) || c.description || char(0) end) || "
                         L"(case when p.%s is null then '' else char(1) || p.%s end)",
                         first, second, reversed ? L"t" : L"s", reversed ? L"s" : L"t", join, first, first))
        return nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return statement;
}
