// List view row helpers.
#include "common/list_rows.h"

#include <commctrl.h>

void PrepareListColumns(HWND list, int columns)
{
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = (client.right - client.left - GetSystemMetrics(SM_CXVSCROLL)) / columns;
    for (int i = 0; i < columns; i++)
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
}

int AppendRow(HWND list, LPARAM id, const wchar_t *first, const wchar_t *second)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t *>(first);
    item.lParam = id;
    int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    SetRowTexts(list, row, nullptr, second);
    return row;
}

int FirstSelectedRow(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

LPARAM RowId(HWND list, int row)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

void SetRowTexts(HWND list, int row, const wchar_t *first, const wchar_t *second)
{
    const wchar_t *texts[2] = {first, second};
    for (int column = 0; column < 2; column++) {
        if (!texts[column])
            continue;
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t *>(texts[column]);
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}

void GetRowText(HWND list, int row, int column, wchar_t *text, int units)
{
    text[0] = 0;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = units;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}
