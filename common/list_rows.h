// Small helpers for the rows of the program's list views: item data holds a record id.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Grid lines, full-row select, and left-aligned columns sharing the client width less a vertical
// scroll bar, headed by the strings headings names (one per column) when given.
void PrepareListColumns(HWND list, int columns, const UINT *headings = nullptr);

// Whether a record's ID fits the item data of a control (LPARAM: 32 bits in a 32-bit program).
// A record whose ID does not is left out of combo boxes and record lists rather than shown under
// another record's ID.
inline bool FitsItemData(long long id)
{
    return static_cast<long long>(static_cast<LPARAM>(id)) == id;
}

// Appends a row (the list's sort decides where it lands); second may be null. Returns its index.
int AppendRow(HWND list, LPARAM id, const wchar_t *first, const wchar_t *second);

// A sort key that orders texts as lstrcmpW does (the thread's locale, no flags), as a sorted list
// view orders its rows: compared as bytes, keys give the same order without a call into the system
// per comparison. length excludes the terminator, which text must have.
std::string SortedListKey(const wchar_t *text, int length);

// The texts and id of one row to come.
struct PendingRow {
    LPARAM id;
    std::wstring first;
    std::wstring second;
    bool hasSecond;
};

// Adds rows to an empty list at once. A sorted list (LVS_SORTASCENDING) gets them in exactly the
// order it gives rows added one by one with AppendRow: by lstrcmpW on the first column, a row
// equal to earlier ones going before them. Rows added later still take their sorted place.
// Adding one by one costs a search and a move per row, which grows with the square of the rows.
void AppendRows(HWND list, std::vector<PendingRow> &rows);

// The first selected row, or -1.
int FirstSelectedRow(HWND list);

LPARAM RowId(HWND list, int row);

// The ids of list's selected rows, top to bottom. With remove set, those rows leave the list as
// LVM_DELETEITEM takes them, one after another from the top. A list that keeps its own rows may
// answer SelectedRowsMessage and so spare a few messages per row; any other list is asked row by row.
// Ids are 64 bits wide, as the store keeps them, even where LPARAM is not.
std::vector<long long> SelectedRowIds(HWND list, bool remove);

// The message SelectedRowIds sends first: wParam is remove, lParam the std::vector<long long> to fill.
// A list that answers it returns TRUE; one that does not leaves the vector as it is.
UINT SelectedRowsMessage();

// Sets the texts of columns 0 and 1 of a row; a null text leaves its column as it is.
void SetRowTexts(HWND list, int row, const wchar_t *first, const wchar_t *second);

// Reads a column of a row into text (units, terminator included).
void GetRowText(HWND list, int row, int column, wchar_t *text, int units);

// The whole text of a column of a row, however long.
std::wstring RowText(HWND list, int row, int column);
