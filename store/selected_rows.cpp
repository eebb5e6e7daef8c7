// The bulk action over selected rows.
#include "store/selected_rows.h"

#include <commctrl.h>

#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/statement.h"
#include "store/store_failure.h"

static bool ConfirmDelete(HWND list)
{
    wchar_t caption[121] = {};
    wchar_t question[121] = {};
    GetWindowTextW(GetParent(list), caption, 121);
    LoadStringW(GetResourceModule(), IDS_CONFIRM_DELETE, question, 121);
    return MessageBoxW(list, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int RunOnRows(sqlite3 *db, const std::vector<long long> &ids, RowOperation operation, RecordId extra)
{
    // Nothing to do takes no lock.
    if (ids.empty())
        return SQLITE_OK;
    return RunWriteTransaction(db, [&] {
        for (long long id : ids) {
            if (!operation(db, id, extra))
                return false;
        }
        return true;
    });
}

bool ForEachSelectedRow(sqlite3 *db, HWND list, RowOperation operation, RecordId extra, BOOL confirm)
{
    if (confirm && !ConfirmDelete(list))
        return true;
    std::vector<long long> ids = SelectedRowIds(list, false);
    if (ids.empty())
        return true;
    int result = RunOnRows(db, ids, operation, extra);
    if (result != SQLITE_OK) {
        ShowStoreFailure(GetParent(list), IDS_ROWS_NOT_CHANGED, result, true);
        return false;
    }
    // Nothing else ran meanwhile on this thread, so the selection is still the one stored.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SelectedRowIds(list, true);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return true;
}
