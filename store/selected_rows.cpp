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
    int found = FirstSelectedRow(list);
    while (found != -1) {
        int id = static_cast<int>(RowId(list, found));
        SendMessageW(list, LVM_DELETEITEM, found, 0);
        operation(db, id, extra);
        // The next row now stands where the deleted one was.
        found = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, found - 1, LVNI_SELECTED));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    CommitTransaction(db);
}
