// Filling the settings dialogs' record lists and showing added records.
#include "store/settings_list.h"

#include <commctrl.h>

#include "common/list_rows.h"
#include "sqlite3.h"
#include "store/statement.h"

int FillSettingsList(HWND list, sqlite3 *db, const wchar_t *sql, int columns)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    sqlite3_stmt *statement = nullptr;
    int result = sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr);
    if (result == SQLITE_OK) {
        std::vector<PendingRow> rows;
        while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
            long long id = sqlite3_column_int64(statement, 0);
            if (FitsItemData(id))
                rows.push_back({static_cast<LPARAM>(id), ColumnText(statement, 1),
                                columns > 1 ? ColumnText(statement, 2) : L"", columns > 1});
        }
        sqlite3_finalize(statement);
        if (result == SQLITE_DONE) {
            AppendRows(list, rows);
            result = SQLITE_OK;
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return result;
}

void ShowAddedRecord(HWND list, LPARAM id, const wchar_t *first, const wchar_t *second)
{
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = id;
    int row = static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (row == -1) {
        row = AppendRow(list, id, first, second);
    } else {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}
