// The phrase list's context menu: delete, and move or copy to another category.
//
// Menu commands carry the target category: 100 + id to move and 500 + id to copy. Those ranges
// stay apart only for ids 1 to 399, so categories outside that range are offered by position
// instead (kMoveByIndex / kCopyByIndex + their index in the menu), which cannot collide.
#include "app/phrase_list.h"

#include <commctrl.h>

#include <vector>

#include "app/shell.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/statement.h"
#include "store/store_failure.h"

constexpr UINT kMoveFirst = 100;
constexpr UINT kCopyFirst = 500;
constexpr int kLargestNumberedId = 399;
constexpr UINT kMoveByIndex = 0x8000;
constexpr UINT kCopyByIndex = 0xC000;
constexpr size_t kMostByIndex = 0x4000;

static UINT TrackWithTheUser(HMENU popup, int x, int y, HWND owner)
{
    return static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD, x, y, 0, owner, nullptr));
}

static PopupMenuTracker g_tracker = TrackWithTheUser;

void SetPopupMenuTracker(PopupMenuTracker tracker)
{
    g_tracker = tracker ? tracker : TrackWithTheUser;
}

void ShowPhraseListMenuFromKeyboard(sqlite3 *db, HWND window, HWND list)
{
    // Below the focused row's text, or at the list's corner when no row has the focus.
    POINT at = {0, 0};
    int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (row != -1 && SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect))) {
        at.x = rect.left;
        at.y = rect.bottom;
    }
    ClientToScreen(list, &at);
    ShowPhraseListMenu(db, window, list, &at);
}

// Fills the move and copy submenus with every category but the shown one. byIndex receives the
// ids of the categories offered by position.
static void AddTargetCategories(sqlite3 *db, RecordId shownCategory, HMENU moveMenu, HMENU copyMenu,
                                std::vector<RecordId> *byIndex)
{
    wchar_t sql[128];
    if (!FormatStatement(sql, 128,
                         L"SELECT ID,DESCRIPTION FROM CATEGORY WHERE ID<>%lld ORDER BY DESCRIPTION",
                         shownCategory))
        return;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        RecordId id = sqlite3_column_int64(statement, 0);
        const wchar_t *description = ColumnText(statement, 1);
        UINT move, copy;
        if (id >= 1 && id <= kLargestNumberedId) {
            move = kMoveFirst + id;
            copy = kCopyFirst + id;
        } else if (byIndex->size() < kMostByIndex) {
            move = kMoveByIndex + static_cast<UINT>(byIndex->size());
            copy = kCopyByIndex + static_cast<UINT>(byIndex->size());
            byIndex->push_back(id);
        } else {
            continue;
        }
        AppendMenuW(moveMenu, MF_STRING, move, description);
        AppendMenuW(copyMenu, MF_STRING, copy, description);
    }
    sqlite3_finalize(statement);
}

static void AttachSubmenu(HMENU popup, UINT command, HMENU submenu)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = submenu;
    SetMenuItemInfoW(popup, command, FALSE, &info);
}

// The copies go to another category: the rows stay as they are, and stay selected.
static void CopySelectedRows(sqlite3 *db, HWND window, HWND list, RecordId category)
{
    int result = RunOnRows(db, SelectedRowIds(list, false), CopyPhrase, category);
    if (result != SQLITE_OK)
        ShowStoreFailure(window, IDS_ROWS_NOT_CHANGED, result, true);
}

void ShowPhraseListMenu(sqlite3 *db, HWND window, HWND list, const POINT *at)
{
    HMENU loaded = LoadMenuW(GetResourceModule(), MAKEINTRESOURCEW(IDR_LIST_MENU));
    if (!loaded)
        return;
    HMENU popup = GetSubMenu(loaded, 0);
    DWORD position = at ? MAKELONG(static_cast<WORD>(at->x), static_cast<WORD>(at->y)) : GetMessagePos();

    HMENU moveMenu = CreatePopupMenu();
    HMENU copyMenu = CreatePopupMenu();
    std::vector<RecordId> byIndex;
    AddTargetCategories(db, GetComboSelectionData(window, IDC_CATEGORY), moveMenu,
                        copyMenu, &byIndex);
    AttachSubmenu(popup, IDM_LIST_MOVE, moveMenu);
    AttachSubmenu(popup, IDM_LIST_COPY, copyMenu);

    UINT command = g_tracker(popup, static_cast<short>(LOWORD(position)),
                             static_cast<short>(HIWORD(position)), list);
    // The submenus belong to the loaded menu now and go with it.
    DestroyMenu(loaded);

    // Asked first, as the Delete key asks.
    if (command == IDM_LIST_DELETE)
        ForEachSelectedRow(db, list, DeletePhrase, 0, TRUE);
    else if (command >= kMoveFirst && command < kCopyFirst)
        ForEachSelectedRow(db, list, MovePhrase, static_cast<int>(command - kMoveFirst), FALSE);
    else if (command >= kCopyFirst && command <= kCopyFirst + kLargestNumberedId)
        CopySelectedRows(db, window, list, static_cast<int>(command - kCopyFirst));
    else if (command >= kMoveByIndex && command < kMoveByIndex + byIndex.size())
        ForEachSelectedRow(db, list, MovePhrase, byIndex[command - kMoveByIndex], FALSE);
    else if (command >= kCopyByIndex && command < kCopyByIndex + byIndex.size())
        CopySelectedRows(db, window, list, byIndex[command - kCopyByIndex]);
}
