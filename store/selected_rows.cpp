// The bulk action over selected rows.
#include "store/selected_rows.h"

#include <commctrl.h>

#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "store/statement.h"

static bool ConfirmDelete(HWND list)
{
    wchar_t caption[121] = {};
    wchar_t question[121] = {};
    GetWindowTextW(GetParent(list), caption, 121);
    LoadStringW(GetResourceModule(), IDS_CONFIRM_DELETE, question, 121);
    return MessageBoxW(list, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void ForEachSelectedRow(sqlite3 *db, HWND list, RowOperation operation, int extra, BOOL confirm)
{
    if (confirm && !ConfirmDelete(list))
        return;
    BeginTransaction(db);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (LPARAM id : SelectedRowIds(list, true))
        operation(db, static_cast<int>(id), extra);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    CommitTransaction(db);
}
