// List view row helpers.
#include "common/list_rows.h"

#include <commctrl.h>

#include <algorithm>

#include "common/dialogs.h"

void PrepareListColumns(HWND list, int columns, const UINT *headings)
{
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = (client.right - client.left - GetSystemMetrics(SM_CXVSCROLL)) / columns;
    wchar_t heading[64] = {};
    for (int i = 0; i < columns; i++) {
        if (headings) {
            LoadStringW(GetResourceModule(), headings[i], heading, 64);
            column.mask |= LVCF_TEXT;
            column.pszText = heading;
        }
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
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

UINT SelectedRowsMessage()
{
    static UINT message = RegisterWindowMessageW(L"LingotroveSelectedRows");
    return message;
}

std::vector<long long> SelectedRowIds(HWND list, bool remove)
{
    std::vector<long long> ids;
    if (SendMessageW(list, SelectedRowsMessage(), remove, reinterpret_cast<LPARAM>(&ids)))
        return ids;
    ids.clear();
    int found = FirstSelectedRow(list);
    while (found != -1) {
        ids.push_back(RowId(list, found));
        if (remove)
            SendMessageW(list, LVM_DELETEITEM, found, 0);
        // After a removal the next row stands where the removed one was.
        found = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, remove ? found - 1 : found, LVNI_SELECTED));
    }
    return ids;
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

std::wstring RowText(HWND list, int row, int column)
{
    // The list says only how much it copied: a text that filled the buffer is read again into
    // one twice as large.
    std::wstring text(256, L'\0');
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = &text[0];
        item.cchTextMax = static_cast<int>(text.size());
        text[0] = 0;
        LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        if (length < 0 || static_cast<size_t>(length) + 1 < text.size() || text.size() >= 0x100000) {
            text.resize(wcslen(text.c_str()));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

std::string SortedListKey(const wchar_t *text, int length)
{
    LCID locale = GetThreadLocale();
    int size = LCMapStringW(locale, LCMAP_SORTKEY, text, length + 1, nullptr, 0);
    std::string key(size > 0 ? size : 0, '\0');
    if (size > 0)
        LCMapStringW(locale, LCMAP_SORTKEY, text, length + 1, reinterpret_cast<LPWSTR>(&key[0]), size);
    return key;
}

void AppendRows(HWND list, std::vector<PendingRow> &rows)
{
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    bool sorted = (style & LVS_SORTASCENDING) != 0;
    if (sorted) {
        std::vector<std::pair<std::string, size_t>> keys;
        keys.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); i++)
            keys.push_back({SortedListKey(rows[i].first.c_str(), static_cast<int>(rows[i].first.size())), i});
        // Equal texts: the later row first, as the list's own insertion puts it.
        std::sort(keys.begin(), keys.end(), [](const std::pair<std::string, size_t> &a,
                                              const std::pair<std::string, size_t> &b) {
            int order = a.first.compare(b.first);
            return order != 0 ? order < 0 : a.second > b.second;
        });
        std::vector<PendingRow> ordered;
        ordered.reserve(rows.size());
        for (const auto &key : keys)
            ordered.push_back(std::move(rows[key.second]));
        rows.swap(ordered);
        SetWindowLongPtrW(list, GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_SORTASCENDING));
    }
    SendMessageW(list, LVM_SETITEMCOUNT, rows.size(), 0);
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (const PendingRow &row : rows) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = count;
        item.pszText = const_cast<wchar_t *>(row.first.c_str());
        item.lParam = row.id;
        int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (index >= 0) {
            count++;
            if (row.hasSecond)
                SetRowTexts(list, index, nullptr, row.second.c_str());
        }
    }
    if (sorted)
        SetWindowLongPtrW(list, GWL_STYLE, style);
}
