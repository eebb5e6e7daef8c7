// Filling the selectors and the phrase list, and the bulk action over selected rows.
#include "app/phrase_list.h"

#include <commctrl.h>

#include "app/phrase_rows.h"
#include "app/shell.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/statement.h"

void RefillSelector(HWND window, sqlite3 *db, BOOL keep, int controlId, BOOL categories)
{
    HWND combo = GetDlgItem(window, controlId);
    LRESULT keptIndex = 0;
    LPARAM keptId = 0;
    if (keep) {
        keptIndex = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        keptId = keptIndex == CB_ERR ? -1 : SendMessageW(combo, CB_GETITEMDATA, keptIndex, 0);
    }

    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const wchar_t *sql = categories ? L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY DESCRIPTION"
                                    : L"SELECT ID,DESCRIPTION FROM LANGUAGE ORDER BY DESCRIPTION";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            int id = sqlite3_column_int(statement, 0);
            LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0,
                                         reinterpret_cast<LPARAM>(ColumnText(statement, 1)));
            SendMessageW(combo, CB_SETITEMDATA, index, id);
            if (keep && id == keptId)
                keptIndex = index;
        }
        sqlite3_finalize(statement);
    }

    WPARAM selection = (keep && keptIndex != CB_ERR) ? keptIndex
                                                     : (controlId == IDC_TARGET_LANGUAGE ? 1 : 0);
    SendMessageW(combo, CB_SETCURSEL, selection, 0);
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

void FillSelectors(HWND window, sqlite3 *db)
{
    RefillSelector(window, db, FALSE, IDC_TARGET_LANGUAGE, FALSE);
    RefillSelector(window, db, FALSE, IDC_SOURCE_LANGUAGE, FALSE);
    RefillSelector(window, db, FALSE, IDC_CATEGORY, TRUE);
}

void RefillLanguageSelectors(HWND window, sqlite3 *db, BOOL keep)
{
    RefillSelector(window, db, keep, IDC_TARGET_LANGUAGE, FALSE);
    RefillSelector(window, db, keep, IDC_SOURCE_LANGUAGE, FALSE);
}

int SelectedCategoryOrNone(HWND window)
{
    LRESULT index = SendDlgItemMessageW(window, IDC_CATEGORY, CB_GETCURSEL, 0, 0);
    return static_cast<int>(SendDlgItemMessageW(window, IDC_CATEGORY, CB_GETITEMDATA, index, 0));
}

void FillPhraseList(HWND window, sqlite3 *db)
{
    int category = SelectedCategoryOrNone(window);
    wchar_t sql[128];
    // With no category selected, the pairs that belong to no existing category: typed before any
    // category existed, or left by another program. Here they can be seen, moved and copied.
    if (SendDlgItemMessageW(window, IDC_CATEGORY, CB_GETCURSEL, 0, 0) == CB_ERR)
        wcscpy(sql, L"SELECT ID,SOURCE,TARGET FROM PHRASE WHERE CATEGORYID IS NULL OR "
                    L"CATEGORYID NOT IN (SELECT ID FROM CATEGORY)");
    else if (!FormatStatement(sql, 128, L"SELECT ID,SOURCE,TARGET FROM PHRASE WHERE CATEGORYID=%d",
                              category))
        return;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return;

    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    LoadPhraseRows(list, statement);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    sqlite3_finalize(statement);
}
