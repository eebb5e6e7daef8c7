// The phrase list's rows in the program's memory, and the subclass that lets the owner-data list
// answer the list messages of a sorted list from them.
#include "app/phrase_rows.h"
#include "app/kept_rows.h"
#include "app/row_order.h"
#include "app/text_match.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "common/list_rows.h"
#include "sqlite3.h"
#include "store/statement.h"

namespace {

constexpr UINT_PTR kSubclassId = 12;

// Texts are kept in one buffer, each followed by its terminator, so a row costs a few bytes more
// than its texts.
struct PhraseRows {
    std::vector<wchar_t> texts;     // starts with the empty text every absent column shares
    std::vector<PhraseRow> rows;    // in list order
    size_t unused;                  // units of texts no row points at any more
    bool moving;                    // selection and focus are following rows moved down
    bool removing;                  // selected rows are leaving
    bool asRead;                    // the rows are exactly what origin read: none changed since
    RowsOrigin origin;
    LPARAM loadedFor;               // what the caller loaded the rows for
    RowKeeper keeper;               // the rows of categories left
    WNDPROC listProc;               // the list view's own procedure
};

// The rows are found through the list's user data, which the list view leaves to its owner, and
// not through a window property: under Wine every property lookup is a round trip to the server,
// and the list's parent looks them up for every notification, a few per row removed.
PhraseRows *RowsOf(HWND list)
{
    return reinterpret_cast<PhraseRows *>(GetWindowLongPtrW(list, GWLP_USERDATA));
}

const wchar_t *TextAt(const PhraseRows &rows, UINT offset)
{
    return rows.texts.data() + offset;
}

const wchar_t *RowText(const PhraseRows &rows, size_t row, int column)
{
    return TextAt(rows, column == 0 ? rows.rows[row].source : rows.rows[row].target);
}

UINT StoreText(std::vector<wchar_t> *texts, const wchar_t *text, size_t length)
{
    if (length == 0)
        return 0;
    UINT offset = static_cast<UINT>(texts->size());
    texts->insert(texts->end(), text, text + length + 1);
    return offset;
}

void ClearRows(PhraseRows *rows)
{
    rows->asRead = false;
    rows->rows.clear();
    rows->rows.shrink_to_fit();
    rows->texts.assign(1, L'\0');
    rows->texts.shrink_to_fit();
    rows->unused = 0;
}

// Rewrites the text buffer without the texts no row uses once they are half of it, so that
// changing rows over and over does not grow it without end.
void CompactTexts(PhraseRows *rows)
{
    if (rows->unused < 4096 || rows->unused * 2 < rows->texts.size())
        return;
    std::vector<wchar_t> kept(1, L'\0');
    kept.reserve(rows->texts.size() - rows->unused);
    for (PhraseRow &row : rows->rows) {
        for (UINT *offset : {&row.source, &row.target}) {
            if (*offset == 0)
                continue;
            const wchar_t *text = TextAt(*rows, *offset);
            *offset = static_cast<UINT>(kept.size());
            kept.insert(kept.end(), text, text + wcslen(text) + 1);
        }
    }
    rows->texts.swap(kept);
    rows->unused = 0;
}

// Counts a text no row will point at any more as unused (the shared empty text is never counted).
void ReleaseText(PhraseRows *rows, UINT offset)
{
    if (offset != 0)
        rows->unused += wcslen(TextAt(*rows, offset)) + 1;
}

// Counts a row's texts as unused, for a row about to go.
void ReleaseTexts(PhraseRows *rows, const PhraseRow &row)
{
    ReleaseText(rows, row.source);
    ReleaseText(rows, row.target);
}

void ReplaceText(PhraseRows *rows, UINT *offset, const wchar_t *text)
{
    rows->asRead = false;
    ReleaseText(rows, *offset);
    *offset = StoreText(&rows->texts, text, wcslen(text));
}

// Copies a column's text into a caller's buffer of units units, cut to fit. Returns the length.
int CopyColumn(const PhraseRows &rows, size_t row, int column, wchar_t *buffer, int units)
{
    if (!buffer || units <= 0)
        return 0;
    const wchar_t *text = RowText(rows, row, column);
    int length = static_cast<int>(std::min(wcslen(text), static_cast<size_t>(units - 1)));
    wmemcpy(buffer, text, length);
    buffer[length] = 0;
    return length;
}

// The index a row with this source takes among the rows other than skipped (none: -1): before
// every row that sorts after it or equal to it, as a sorted list view inserts.
size_t SortedPlace(const PhraseRows &rows, const wchar_t *source, size_t skipped = static_cast<size_t>(-1))
{
    std::string key = SortedListKey(source, static_cast<int>(wcslen(source)));
    size_t count = rows.rows.size() - (skipped < rows.rows.size() ? 1 : 0);
    size_t low = 0, high = count;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        size_t row = middle < skipped ? middle : middle + 1;
        const wchar_t *other = TextAt(rows, rows.rows[row].source);
        if (SortedListKey(other, static_cast<int>(wcslen(other))).compare(key) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Asks the list view itself. Under Wine each DefSubclassProc looks the subclass up in the window's
// properties, kept by the server: a round trip per call, which a call per row makes seconds.
LRESULT AskList(HWND list, const PhraseRows &rows, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(rows.listProc, list, message, wParam, lParam);
}

void SetRowState(HWND list, const PhraseRows &rows, int row, UINT mask, UINT state)
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    AskList(list, rows, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The selected rows from first on, as runs of rows [start, end].
std::vector<std::pair<int, int>> SelectedRuns(HWND list, const PhraseRows &rows, int first, int last)
{
    std::vector<std::pair<int, int>> runs;
    for (int row = static_cast<int>(AskList(list, rows, LVM_GETNEXTITEM, first - 1, LVNI_SELECTED));
         row != -1 && row <= last; row = static_cast<int>(AskList(list, rows, LVM_GETNEXTITEM, row, LVNI_SELECTED))) {
        if (!runs.empty() && runs.back().second == row - 1)
            runs.back().second = row;
        else
            runs.push_back({row, row});
    }
    return runs;
}

// Moves the selection and focus of the rows from first on one row down, after a row has come in
// above them: they stay with their pairs, as in a list that keeps its own rows. A run of selected
// rows moves by selecting the row after it and clearing its first, so selecting all of a long list
// costs two changes, not two a row. The list reports these changes to its parent; they are no
// choice of the user's and are not passed on.
void MoveStatesDown(HWND list, PhraseRows *rows, int first)
{
    rows->moving = true;
    std::vector<std::pair<int, int>> runs = SelectedRuns(list, *rows, first, INT_MAX);
    int focused = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        SetRowState(list, *rows, run->second + 1, LVIS_SELECTED, LVIS_SELECTED);
        SetRowState(list, *rows, run->first, LVIS_SELECTED, 0);
    }
    if (focused >= first)
        SetRowState(list, *rows, focused + 1, LVIS_FOCUSED, LVIS_FOCUSED);
    rows->moving = false;
}

// After the row at from has moved to to, the rows between moved one place towards from: their
// selection and focus go with them, and with the moved row its own.
void MoveStatesWithRow(HWND list, PhraseRows *rows, int from, int to)
{
    int low = std::min(from, to), high = std::max(from, to);
    std::vector<bool> before(high - low + 1);
    for (const auto &run : SelectedRuns(list, *rows, low, high))
        for (int row = run.first; row <= run.second; row++)
            before[row - low] = true;
    int shift = to > from ? -1 : 1;
    rows->moving = true;
    for (int row = low; row <= high; row++) {
        int came = row == to ? from : row - shift;
        bool selected = before[came - low];
        if (selected != before[row - low])
            SetRowState(list, *rows, row, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
    }
    int focused = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= low && focused <= high)
        SetRowState(list, *rows, focused == from ? to : focused + shift, LVIS_FOCUSED, LVIS_FOCUSED);
    rows->moving = false;
}

LRESULT InsertRow(HWND list, PhraseRows *rows, long long id, const wchar_t *source, const wchar_t *target)
{
    size_t place = SortedPlace(*rows, source);
    rows->asRead = false;
    PhraseRow row = {id, StoreText(&rows->texts, source, wcslen(source)), 0};
    row.target = target ? StoreText(&rows->texts, target, wcslen(target)) : 0;
    rows->rows.insert(rows->rows.begin() + place, row);
    DefSubclassProc(list, LVM_SETITEMCOUNT, rows->rows.size(), LVSICF_NOSCROLL);
    MoveStatesDown(list, rows, static_cast<int>(place));
    InvalidateRect(list, nullptr, FALSE);
    return static_cast<LRESULT>(place);
}

LRESULT InsertItem(HWND list, PhraseRows *rows, const LVITEMW *item)
{
    if (!item || item->iSubItem != 0)
        return -1;
    const wchar_t *source = (item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACKW
                                ? item->pszText
                                : L"";
    return InsertRow(list, rows, (item->mask & LVIF_PARAM) ? item->lParam : 0, source, nullptr);
}

bool ValidRow(const PhraseRows &rows, WPARAM row)
{
    return row < rows.rows.size();
}

// A row whose source changed moves to its sorted place, so that the rows stay in order and a
// later insert finds its place. Returns the row's index, -1 when nothing was set.
int SetRowText(HWND list, PhraseRows *rows, int row, int column, const wchar_t *text)
{
    if (!ValidRow(*rows, row) || column < 0 || column > 1 || !text || text == LPSTR_TEXTCALLBACKW)
        return -1;
    PhraseRow &changed = rows->rows[row];
    ReplaceText(rows, column == 0 ? &changed.source : &changed.target, text);
    CompactTexts(rows);
    int place = column == 0 ? static_cast<int>(SortedPlace(*rows, TextAt(*rows, changed.source), row)) : row;
    if (place != row) {
        PhraseRow moved = rows->rows[row];
        rows->rows.erase(rows->rows.begin() + row);
        rows->rows.insert(rows->rows.begin() + place, moved);
        MoveStatesWithRow(list, rows, row, place);
        DefSubclassProc(list, LVM_REDRAWITEMS, std::min(row, place), std::max(row, place));
    } else {
        DefSubclassProc(list, LVM_REDRAWITEMS, row, row);
    }
    return place;
}

LRESULT SetItem(HWND list, PhraseRows *rows, LVITEMW *item)
{
    if (!item || !ValidRow(*rows, item->iItem))
        return FALSE;
    // A new source moves the row: what else is set goes to it where it now stands.
    int row = item->iItem;
    if ((item->mask & LVIF_TEXT) && (row = SetRowText(list, rows, row, item->iSubItem, item->pszText)) == -1)
        return FALSE;
    if ((item->mask & LVIF_PARAM) && item->iSubItem == 0) {
        rows->rows[row].id = item->lParam;
        rows->asRead = false;
    }
    if (item->mask & LVIF_STATE) {
        LVITEMW state = *item;
        state.mask = LVIF_STATE;
        state.iItem = row;
        return DefSubclassProc(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state));
    }
    return TRUE;
}

LRESULT GetItem(HWND list, const PhraseRows &rows, LVITEMW *item)
{
    if (!item || !ValidRow(rows, item->iItem) || item->iSubItem < 0 || item->iSubItem > 1)
        return FALSE;
    if (item->mask & LVIF_TEXT)
        CopyColumn(rows, item->iItem, item->iSubItem, item->pszText, item->cchTextMax);
    if (item->mask & LVIF_PARAM)
        item->lParam = rows.rows[item->iItem].id;
    if (item->mask & LVIF_STATE) {
        LVITEMW state = {};
        state.mask = LVIF_STATE;
        state.iItem = item->iItem;
        state.stateMask = item->stateMask;
        DefSubclassProc(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&state));
        item->state = state.state;
    }
    return TRUE;
}

// LVM_FINDITEMW on the rows: by ID, by whole text or by the text's beginning (case ignored), in
// the first column, from the row after start, going round when LVFI_WRAP says so.
int FindItem(const PhraseRows &rows, int start, const LVFINDINFOW *find)
{
    if (!find)
        return -1;
    int count = static_cast<int>(rows.rows.size());
    bool wrap = (find->flags & LVFI_WRAP) != 0;
    bool partial = (find->flags & (LVFI_PARTIAL)) != 0;
    std::wstring wanted, scratch;
    if ((find->flags & (LVFI_STRING | LVFI_PARTIAL)) && find->psz)
        FoldText(find->psz, wcslen(find->psz), &wanted);
    int first = start < 0 ? 0 : start + 1;
    for (int step = 0; step < count; step++) {
        int row = first + step;
        if (row >= count) {
            if (!wrap)
                return -1;
            row -= count;
        }
        if (find->flags & LVFI_PARAM) {
            if (rows.rows[row].id == find->lParam)
                return row;
        } else if ((find->flags & (LVFI_STRING | LVFI_PARTIAL)) && find->psz &&
                   StartsOrEquals(TextAt(rows, rows.rows[row].source), wanted, partial, &scratch)) {
            return row;
        }
    }
    return -1;
}

// SelectedRowIds answered from the rows: the list is asked without a message per row, and removed
// rows leave the rows in one pass at the end. Until then the rows still hold those removed, so the
// list's notifications meanwhile are not passed on (its parent could ask for a row by its index);
// the parent acts on none of those removing rows brings anyway.
LRESULT SelectedRows(HWND list, PhraseRows *rows, bool remove, std::vector<long long> *ids)
{
    std::vector<bool> removed(remove ? rows->rows.size() : 0);
    size_t before = 0;     // rows removed above the one found
    rows->removing = remove;
    int found = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    while (found != -1 && ValidRow(*rows, found + before)) {
        size_t row = found + before;
        if (!remove) {
            ids->push_back(rows->rows[row].id);
            found = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, found, LVNI_SELECTED));
            continue;
        }
        if (!AskList(list, *rows, LVM_DELETEITEM, found, 0))
            break;
        ids->push_back(rows->rows[row].id);
        removed[row] = true;
        before++;
        found = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, found - 1, LVNI_SELECTED));
    }
    rows->removing = false;
    if (before == 0)
        return TRUE;
    size_t kept = 0;
    for (size_t row = 0; row < rows->rows.size(); row++) {
        if (!removed[row]) {
            rows->rows[kept++] = rows->rows[row];
            continue;
        }
        ReleaseTexts(rows, rows->rows[row]);
    }
    rows->rows.resize(kept);
    rows->asRead = false;
    CompactTexts(rows);
    return TRUE;
}

LRESULT CALLBACK PhraseListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    PhraseRows *rows = reinterpret_cast<PhraseRows *>(data);
    switch (message) {
    case LVM_INSERTITEMW:
        return InsertItem(list, rows, reinterpret_cast<const LVITEMW *>(lParam));
    case LVM_SETITEMW:
        return SetItem(list, rows, reinterpret_cast<LVITEMW *>(lParam));
    case LVM_SETITEMTEXTW: {
        const LVITEMW *item = reinterpret_cast<const LVITEMW *>(lParam);
        return item && SetRowText(list, rows, static_cast<int>(wParam), item->iSubItem, item->pszText) != -1;
    }
    case LVM_GETITEMW:
        return GetItem(list, *rows, reinterpret_cast<LVITEMW *>(lParam));
    case LVM_GETITEMTEXTW: {
        LVITEMW *item = reinterpret_cast<LVITEMW *>(lParam);
        if (!item || !ValidRow(*rows, wParam) || item->iSubItem < 0 || item->iSubItem > 1)
            return 0;
        return CopyColumn(*rows, wParam, item->iSubItem, item->pszText, item->cchTextMax);
    }
    case LVM_FINDITEMW:
        return FindItem(*rows, static_cast<int>(wParam), reinterpret_cast<const LVFINDINFOW *>(lParam));
    case LVM_DELETEITEM:
        if (!ValidRow(*rows, wParam))
            return FALSE;
        ReleaseTexts(rows, rows->rows[wParam]);
        rows->rows.erase(rows->rows.begin() + wParam);
        rows->asRead = false;
        CompactTexts(rows);
        return DefSubclassProc(list, message, wParam, lParam);
    case LVM_DELETEALLITEMS:
        ClearRows(rows);
        return DefSubclassProc(list, message, wParam, lParam);
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, PhraseListProc, kSubclassId);
        SetWindowLongPtrW(list, GWLP_USERDATA, 0);
        delete rows;
        break;
    default:
        // lParam points into the sender's memory: only this thread's own request is honoured.
        if (message == SelectedRowsMessage() && lParam && InSendMessageEx(nullptr) == ISMEX_NOSEND)
            return SelectedRows(list, rows, wParam != 0, reinterpret_cast<std::vector<long long> *>(lParam));
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void AttachPhraseRows(HWND list)
{
    PhraseRows *rows = new PhraseRows();
    ClearRows(rows);
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(rows));
    // The class's procedure, not the window's: that may be a subclass installed before this one.
    rows->listProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(list, GCLP_WNDPROC));
    SetWindowSubclass(list, PhraseListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(rows));
}

int InsertPhraseRow(HWND list, long long id, const wchar_t *source, const wchar_t *target)
{
    PhraseRows *rows = RowsOf(list);
    return rows ? static_cast<int>(InsertRow(list, rows, id, source, target)) : -1;
}

int SetPhraseRowTexts(HWND list, int row, const wchar_t *source, const wchar_t *target)
{
    PhraseRows *rows = RowsOf(list);
    if (!rows || SetRowText(list, rows, row, 1, target) == -1)
        return -1;
    return SetRowText(list, rows, row, 0, source);
}

LPARAM PhraseRowsLoadedFor(HWND list)
{
    PhraseRows *rows = RowsOf(list);
    return rows ? rows->loadedFor : 0;
}

long long PhraseRowId(HWND list, int row)
{
    PhraseRows *rows = RowsOf(list);
    return rows && row >= 0 && ValidRow(*rows, row) ? rows->rows[row].id : 0;
}

namespace {

// The byte order of a store's texts, which its BINARY collation compares.
enum StoredEncoding { kStoredUtf8, kStoredUtf16le, kStoredUtf16be };

StoredEncoding EncodingOf(sqlite3 *db)
{
    wchar_t name[16] = {};
    QueryFirstText(db, L"PRAGMA encoding", name, 16);
    if (lstrcmpiW(name, L"UTF-16le") == 0)
        return kStoredUtf16le;
    return lstrcmpiW(name, L"UTF-16be") == 0 ? kStoredUtf16be : kStoredUtf8;
}

// A UTF-16 unit's weight when texts are compared as their stored bytes: UTF-16LE bytes put the low
// byte first, and UTF-8 puts characters beyond the first 65,536 (surrogates here) last.
unsigned StoredWeight(wchar_t unit, StoredEncoding encoding)
{
    if (encoding == kStoredUtf16le)
        return ((unit & 0xFFu) << 8) | (unit >> 8);
    if (encoding == kStoredUtf8 && unit >= 0xD800)
        return unit >= 0xE000 ? unit - 0x800u : unit + 0x2000u;
    return unit;
}

// How ORDER BY SOURCE orders two texts: by their stored bytes, a text before its longer ones.
int CompareStored(const wchar_t *a, const wchar_t *b, StoredEncoding encoding)
{
    for (;; a++, b++) {
        if (*a == 0 || *b == 0)
            return (*a != 0) - (*b != 0);
        unsigned wa = StoredWeight(*a, encoding), wb = StoredWeight(*b, encoding);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
}

struct LoadedRows {
    const std::vector<wchar_t> *texts;
    const std::vector<PhraseRow> *loaded;
    const std::vector<bool> *nullSource;
    StoredEncoding encoding;
};

// Sources that sort alike come in the reverse of ORDER BY SOURCE (NULL first, then by stored
// bytes, equal ones by ID, as SQLite's sort keeps the table's order): where filling a sorted list
// in that order puts them, each row going before those alike.
bool LoadedTieBefore(const void *context, UINT a, UINT b)
{
    const LoadedRows &loaded = *static_cast<const LoadedRows *>(context);
    bool nullA = (*loaded.nullSource)[a], nullB = (*loaded.nullSource)[b];
    if (nullA != nullB)
        return nullB;
    const PhraseRow &rowA = (*loaded.loaded)[a], &rowB = (*loaded.loaded)[b];
    const wchar_t *texts = loaded.texts->data();
    int order = CompareStored(texts + rowA.source, texts + rowB.source, loaded.encoding);
    return order != 0 ? order > 0 : rowA.id > rowB.id;
}

// Reads the statement's rows into read, which is empty, and puts them in list order. Returns the
// last step's result: SQLITE_DONE when every row was read; otherwise the store was busy or
// unreadable and read holds only some of them.
int ReadRows(KeptRows *read, sqlite3_stmt *statement)
{
    std::vector<PhraseRow> loaded;
    std::vector<bool> nullSource;
    read->texts.assign(1, L'\0');
    RowOrder *sorting = StartRowOrder();
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        nullSource.push_back(sqlite3_column_type(statement, 1) == SQLITE_NULL);
        const wchar_t *source = ColumnText(statement, 1);
        size_t sourceLength = wcslen(source);
        AddRowText(sorting, source, sourceLength);
        UINT sourceOffset = StoreText(&read->texts, source, sourceLength);
        const wchar_t *target = ColumnText(statement, 2);
        loaded.push_back({sqlite3_column_int64(statement, 0), sourceOffset, StoreText(&read->texts, target, wcslen(target))});
    }

    LoadedRows tie = {&read->texts, &loaded, &nullSource, EncodingOf(sqlite3_db_handle(statement))};
    std::vector<UINT> order = FinishRowOrder(sorting, LoadedTieBefore, &tie);
    if (step != SQLITE_DONE)
        return step;
    read->rows.reserve(loaded.size());
    for (UINT index : order)
        read->rows.push_back(loaded[index]);
    read->texts.shrink_to_fit();
    return step;
}

// The rows for now's statement: kept ones, the ones shown when they are still right, or read.
// SQLITE_OK when *fresh holds them; *shown tells that they are the rows shown.
int NewRows(PhraseRows *rows, sqlite3_stmt *statement, const RowsOrigin &now, bool known, KeptRows *fresh, bool *shown)
{
    *shown = false;
    if (known && TakeKeptRows(&rows->keeper, now, fresh))
        return SQLITE_OK;
    if (known && rows->asRead && SameStoreState(rows->origin, now) && rows->origin.sql == now.sql) {
        *shown = true;
        return SQLITE_OK;
    }
    int step = ReadRows(fresh, statement);
    return step == SQLITE_DONE ? SQLITE_OK : step;
}

}  // namespace

int LoadPhraseRows(HWND list, sqlite3_stmt *statement, LPARAM loadedFor)
{
    PhraseRows *rows = RowsOf(list);
    if (!rows)
        return SQLITE_MISUSE;
    RowsOrigin now;
    int origin = OriginOf(statement, &now);
    bool known = origin == SQLITE_OK;
    KeptRows fresh;
    bool shown = false;
    // A store locked all through the busy timeout is not waited for a second time.
    int result = origin == SQLITE_BUSY ? SQLITE_BUSY : NewRows(rows, statement, now, known, &fresh, &shown);
    if (result != SQLITE_OK) {
        // The rows shown stay, unless they are another store's.
        if (!ReadOnConnection(rows->origin, sqlite3_db_handle(statement))) {
            SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
        }
        return result;
    }
    if (shown) {
        // Taken out before the list is emptied, and put back.
        fresh.texts = std::move(rows->texts);
        fresh.rows = std::move(rows->rows);
    } else if (rows->asRead && known && SameStoreState(rows->origin, now)) {
        // The rows shown are kept for coming back to, as nothing has changed since they were read.
        KeepRows(&rows->keeper, {std::move(rows->origin), std::move(rows->texts), std::move(rows->rows)});
    }
    // Emptied through the list first, so that its selection and focus go with the old rows.
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    rows->texts.swap(fresh.texts);
    rows->rows.swap(fresh.rows);
    rows->origin = std::move(now);
    rows->asRead = known;
    rows->loadedFor = loadedFor;
    SendMessageW(list, LVM_SETITEMCOUNT, rows->rows.size(), 0);
    return SQLITE_OK;
}

int FindPhraseRow(HWND list, const wchar_t *text, bool matchCase, int after)
{
    PhraseRows *rows = RowsOf(list);
    if (!rows || !text || !*text || rows->rows.empty())
        return -1;
    std::wstring wanted(text), scratch;
    if (!matchCase)
        FoldText(text, wcslen(text), &wanted);
    size_t count = rows->rows.size();
    size_t first = after < 0 || static_cast<size_t>(after) >= count ? 0 : static_cast<size_t>(after) + 1;
    for (size_t step = 0; step < count; step++) {
        size_t row = (first + step) % count;
        if (HoldsText(TextAt(*rows, rows->rows[row].source), wanted, matchCase, &scratch) ||
            HoldsText(TextAt(*rows, rows->rows[row].target), wanted, matchCase, &scratch))
            return static_cast<int>(row);
    }
    return -1;
}

size_t PhraseRowsBytes(HWND list, size_t *textBytes)
{
    PhraseRows *rows = RowsOf(list);
    *textBytes = 0;
    if (!rows)
        return 0;
    for (size_t row = 0; row < rows->rows.size(); row++)
        *textBytes += (wcslen(RowText(*rows, row, 0)) + wcslen(RowText(*rows, row, 1))) * sizeof(wchar_t);
    return sizeof(PhraseRows) + rows->texts.capacity() * sizeof(wchar_t) + rows->rows.capacity() * sizeof(PhraseRow);
}

size_t KeptPhraseRowsBytes(HWND list)
{
    PhraseRows *rows = RowsOf(list);
    return rows ? KeptRowsBytes(rows->keeper) : 0;
}

bool AnswerPhraseListNotify(const NMHDR *header, LRESULT *result)
{
    PhraseRows *rows = RowsOf(header->hwndFrom);
    if (!rows)
        return false;
    if (header->code == LVN_GETDISPINFOW) {
        LVITEMW &item = reinterpret_cast<NMLVDISPINFOW *>(const_cast<NMHDR *>(header))->item;
        if ((item.mask & LVIF_TEXT) && ValidRow(*rows, item.iItem) && item.iSubItem >= 0 && item.iSubItem <= 1)
            CopyColumn(*rows, item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
        *result = 0;
        return true;
    }
    if ((rows->moving || rows->removing) && (header->code == LVN_ITEMCHANGED || header->code == LVN_ITEMCHANGING ||
                                             header->code == LVN_ODSTATECHANGED || header->code == LVN_DELETEITEM)) {
        *result = 0;
        return true;
    }
    if (header->code == LVN_ODFINDITEMW) {
        const NMLVFINDITEMW *find = reinterpret_cast<const NMLVFINDITEMW *>(header);
        // The list asks from iStart on, that row included.
        *result = FindItem(*rows, find->iStart - 1, &find->lvfi);
        return true;
    }
    return false;
}
