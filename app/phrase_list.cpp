// Filling the selectors and the phrase list, and the bulk action over selected rows.
#include "app/phrase_list.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "app/phrase_rows.h"
#include "app/shell.h"
#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/statement.h"
#include "store/store_failure.h"

// What the list notes it shows when no category is selected: no category has this ID.
constexpr LPARAM kNoCategoryListed = CB_ERR;

// The pairs that belong to no existing category: typed before any category existed, or left by
// another program. So are those of a category whose ID the selector cannot hold (beyond 32 bits,
// in a 32-bit program), which it leaves out.
static std::wstring PairsOfNoCategory(const wchar_t *columns)
{
    std::wstring sql = std::wstring(L"SELECT ") + columns +
                       L" FROM PHRASE WHERE CATEGORYID IS NULL OR CATEGORYID NOT IN (SELECT ID FROM CATEGORY)";
    if (sizeof(LPARAM) < sizeof(long long))
        sql += L" OR CATEGORYID NOT BETWEEN -2147483648 AND 2147483647";
    return sql;
}

// Whether the store has pairs of no category; false when that could not be read.
static bool ReadHasPairsOfNoCategory(sqlite3 *db, bool *has)
{
    std::wstring sql = PairsOfNoCategory(L"1") + L" LIMIT 1";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_step(statement);
    *has = step == SQLITE_ROW;
    sqlite3_finalize(statement);
    return step == SQLITE_ROW || step == SQLITE_DONE;
}

bool RefillSelector(HWND window, sqlite3 *db, BOOL keep, int controlId, BOOL categories)
{
    // Read whole before the combo box is touched: a store that cannot be read leaves it as it was.
    const wchar_t *sql = categories ? L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY DESCRIPTION"
                                    : L"SELECT ID,DESCRIPTION FROM LANGUAGE ORDER BY DESCRIPTION";
    std::vector<std::pair<LPARAM, std::wstring>> records;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        long long id = sqlite3_column_int64(statement, 0);
        if (FitsItemData(id))
            records.push_back({static_cast<LPARAM>(id), ColumnText(statement, 1)});
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE)
        return false;
    // Pairs of no category get an entry of their own, last, so that they can be seen and moved.
    bool orphans = false;
    if (categories && !ReadHasPairsOfNoCategory(db, &orphans))
        return false;

    HWND combo = GetDlgItem(window, controlId);
    LRESULT keptIndex = 0;
    LPARAM keptId = 0;
    if (keep) {
        keptIndex = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        keptId = keptIndex == CB_ERR ? -1 : SendMessageW(combo, CB_GETITEMDATA, keptIndex, 0);
    }
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const auto &record : records) {
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.second.c_str()));
        SendMessageW(combo, CB_SETITEMDATA, index, record.first);
        if (keep && record.first == keptId)
            keptIndex = index;
    }
    if (orphans) {
        wchar_t name[64] = {};
        LoadStringW(GetResourceModule(), IDS_NO_CATEGORY, name, 64);
        LRESULT index = SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
        SendMessageW(combo, CB_SETITEMDATA, index, kNoCategoryItem);
        if (keep && keptId == kNoCategoryItem)
            keptIndex = index;
    }
    WPARAM selection = (keep && keptIndex != CB_ERR) ? keptIndex
                                                     : (controlId == IDC_TARGET_LANGUAGE ? 1 : 0);
    SendMessageW(combo, CB_SETCURSEL, selection, 0);
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
    return true;
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

// Selects the category whose pairs the list shows (none selected: the pairs of no category), after
// a change of the selector that the list could not follow.
static void SelectListedCategory(HWND window)
{
    LPARAM listed = PhraseRowsLoadedFor(GetDlgItem(window, IDC_PHRASE_LIST));
    HWND combo = GetDlgItem(window, IDC_CATEGORY);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    LRESULT index = -1;
    for (LRESULT i = 0; i < count && index == -1; i++) {
        LPARAM data = SendMessageW(combo, CB_GETITEMDATA, i, 0);
        if (data == listed || (listed == kNoCategoryListed && data == kNoCategoryItem))
            index = i;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool FillPhraseList(HWND window, sqlite3 *db, bool keepShown)
{
    LPARAM category = GetComboSelectionData(window, IDC_CATEGORY);
    // With no category selected, or its own entry, the pairs that belong to no existing category:
    // here they can be seen, moved and copied.
    bool none = SendDlgItemMessageW(window, IDC_CATEGORY, CB_GETCURSEL, 0, 0) == CB_ERR ||
                category == kNoCategoryItem;
    std::wstring sql = none ? PairsOfNoCategory(L"ID,SOURCE,TARGET")
                            : L"SELECT ID,SOURCE,TARGET FROM PHRASE WHERE CATEGORYID=" +
                                  std::to_wstring(static_cast<long long>(category));
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    sqlite3_stmt *statement = nullptr;
    int result = sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr);
    if (result == SQLITE_OK) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        result = LoadPhraseRows(list, statement, none ? kNoCategoryListed : category);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        sqlite3_finalize(statement);
    }
    if (result != SQLITE_OK) {
        // Rows that may no longer be right go: an empty list that says why is not taken for one
        // that is complete.
        if (!keepShown) {
            SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
        } else {
            // The selector goes back to the rows kept before the message is seen.
            SelectListedCategory(window);
        }
        ShowStoreFailure(window, IDS_LIST_NOT_READ, result, false);
    }
    return result == SQLITE_OK;
}
