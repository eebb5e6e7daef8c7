// The phrase list's rows in the program's memory, and the subclass that lets the owner-data list
// answer the list messages of a sorted list from them.
#include "app/phrase_rows.h"
#include "app/kept_rows.h"
#include "app/row_order.h"

#include <commctrl.h>

#include <algorithm>
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

UINT StoreText(PhraseRows *rows, const wchar_t *text, size_t length)
{
    if (length == 0)
        return 0;
    UINT offset = static_cast<UINT>(rows->texts.size());
    rows->texts.insert(rows->texts.end(), text, text + length + 1);
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
    *offset = StoreText(rows, text, wcslen(text));
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

// The index a row with this source takes: before every row that sorts after it or equal to it,
// as a sorted list view inserts.
size_t SortedPlace(const PhraseRows &rows, const wchar_t *source)
{
    std::string key = SortedListKey(source, static_cast<int>(wcslen(source)));
    size_t low = 0, high = rows.rows.size();
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        const wchar_t *other = TextAt(rows, rows.rows[middle].source);
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

// Moves the selection and focus of the rows from first on one row down, after a row has come in
// above them: they stay with their pairs, as in a list that keeps its own rows. The list reports
// these changes to its parent; they are no choice of the user's and are not passed on.
void MoveStatesDown(HWND list, PhraseRows *rows, int first)
{
    rows->moving = true;
    std::vector<int> selected;
    for (int row = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, first - 1, LVNI_SELECTED)); row != -1;
         row = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, row, LVNI_SELECTED)))
        selected.push_back(row);
    int focused = static_cast<int>(AskList(list, *rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        AskList(list, *rows, LVM_SETITEMSTATE, *row + 1, reinterpret_cast<LPARAM>(&item));
        item.state = 0;
        AskList(list, *rows, LVM_SETITEMSTATE, *row, reinterpret_cast<LPARAM>(&item));
    }
    if (focused >= first) {
        LVITEMW item = {};
        item.stateMask = LVIS_FOCUSED;
        item.state = LVIS_FOCUSED;
        AskList(list, *rows, LVM_SETITEMSTATE, focused + 1, reinterpret_cast<LPARAM>(&item));
    }
    rows->moving = false;
}

LRESULT InsertRow(HWND list, PhraseRows *rows, const LVITEMW *item)
{
    if (!item || item->iSubItem != 0)
        return -1;
    const wchar_t *source = (item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACKW
                                ? item->pszText
                                : L"";
    size_t place = SortedPlace(*rows, source);
    rows->asRead = false;
    PhraseRow row = {(item->mask & LVIF_PARAM) ? item->lParam : 0, StoreText(rows, source, wcslen(source)), 0};
    rows->rows.insert(rows->rows.begin() + place, row);
    DefSubclassProc(list, LVM_SETITEMCOUNT, rows->rows.size(), LVSICF_NOSCROLL);
    MoveStatesDown(list, rows, static_cast<int>(place));
    InvalidateRect(list, nullptr, FALSE);
    return static_cast<LRESULT>(place);
}

bool ValidRow(const PhraseRows &rows, WPARAM row)
{
    return row < rows.rows.size();
}

LRESULT SetRowText(HWND list, PhraseRows *rows, int row, int column, const wchar_t *text)
{
    if (!ValidRow(*rows, row) || column < 0 || column > 1 || !text || text == LPSTR_TEXTCALLBACKW)
        return FALSE;
    PhraseRow &changed = rows->rows[row];
    ReplaceText(rows, column == 0 ? &changed.source : &changed.target, text);
    CompactTexts(rows);
    DefSubclassProc(list, LVM_REDRAWITEMS, row, row);
    return TRUE;
}

LRESULT SetItem(HWND list, PhraseRows *rows, LVITEMW *item)
{
    if (!item || !ValidRow(*rows, item->iItem))
        return FALSE;
    if ((item->mask & LVIF_TEXT) && !SetRowText(list, rows, item->iItem, item->iSubItem, item->pszText))
        return FALSE;
    if ((item->mask & LVIF_PARAM) && item->iSubItem == 0) {
        rows->rows[item->iItem].id = item->lParam;
        rows->asRead = false;
    }
    if (item->mask & LVIF_STATE) {
        LVITEMW state = *item;
        state.mask = LVIF_STATE;
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

bool SameText(const wchar_t *a, const wchar_t *b, bool partial)
{
    if (partial) {
        size_t length = wcslen(b);
        return wcslen(a) >= length && CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a,
                                                      static_cast<int>(length), b, static_cast<int>(length)) == CSTR_EQUAL;
    }
    return lstrcmpiW(a, b) == 0;
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
                   SameText(TextAt(rows, rows.rows[row].source), find->psz, partial)) {
            return row;
        }
    }
    return -1;
}

// SelectedRowIds answered from the rows: the list is asked without a message per row, and removed
// rows leave the rows in one pass at the end. Until then the rows still hold those removed, so the
// list's notifications meanwhile are not passed on (its parent could ask for a row by its index);
// the parent acts on none of those removing rows brings anyway.
LRESULT SelectedRows(HWND list, PhraseRows *rows, bool remove, std::vector<LPARAM> *ids)
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
        return InsertRow(list, rows, reinterpret_cast<const LVITEMW *>(lParam));
    case LVM_SETITEMW:
        return SetItem(list, rows, reinterpret_cast<LVITEMW *>(lParam));
    case LVM_SETITEMTEXTW: {
        const LVITEMW *item = reinterpret_cast<const LVITEMW *>(lParam);
        return item ? SetRowText(list, rows, static_cast<int>(wParam), item->iSubItem, item->pszText) : FALSE;
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
            return SelectedRows(list, rows, wParam != 0, reinterpret_cast<std::vector<LPARAM> *>(lParam));
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
    const PhraseRows *rows;
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
    int order = CompareStored(TextAt(*loaded.rows, rowA.source), TextAt(*loaded.rows, rowB.source), loaded.encoding);
    return order != 0 ? order > 0 : rowA.id > rowB.id;
}

// Reads the statement's rows into rows, which are empty, and puts them in list order. Returns
// whether every row was read: false when a step failed (the store busy or unreadable) and the
// rows are only those read before.
bool ReadRows(PhraseRows *rows, sqlite3_stmt *statement)
{
    std::vector<PhraseRow> loaded;
    std::vector<bool> nullSource;
    RowOrder *sorting = StartRowOrder();
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        nullSource.push_back(sqlite3_column_type(statement, 1) == SQLITE_NULL);
        const wchar_t *source = ColumnText(statement, 1);
        size_t sourceLength = wcslen(source);
        AddRowText(sorting, source, sourceLength);
        UINT sourceOffset = StoreText(rows, source, sourceLength);
        const wchar_t *target = ColumnText(statement, 2);
        loaded.push_back({sqlite3_column_int(statement, 0), sourceOffset, StoreText(rows, target, wcslen(target))});
    }

    LoadedRows tie = {rows, &loaded, &nullSource, EncodingOf(sqlite3_db_handle(statement))};
    std::vector<UINT> order = FinishRowOrder(sorting, LoadedTieBefore, &tie);
    rows->rows.reserve(loaded.size());
    for (UINT index : order)
        rows->rows.push_back(loaded[index]);
    rows->texts.shrink_to_fit();
    return step == SQLITE_DONE;
}

}  // namespace

void LoadPhraseRows(HWND list, sqlite3_stmt *statement)
{
    PhraseRows *rows = RowsOf(list);
    if (!rows)
        return;
    RowsOrigin now;
    int origin = OriginOf(statement, &now);
    bool known = origin == SQLITE_OK;
    // The rows shown are kept for coming back to, when nothing has changed since they were read.
    if (rows->asRead && known && SameStoreState(rows->origin, now))
        KeepRows(&rows->keeper, {std::move(rows->origin), std::move(rows->texts), std::move(rows->rows)});
    // Emptied through the list first, so that its selection and focus go with the old rows.
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    KeptRows kept;
    if (known && TakeKeptRows(&rows->keeper, now, &kept)) {
        rows->texts.swap(kept.texts);
        rows->rows.swap(kept.rows);
    } else if (origin == SQLITE_BUSY || !ReadRows(rows, statement)) {
        // A store locked all through the busy timeout is not waited for a second time: the list
        // is left empty, as a read that timed out would have left it.
        known = false;
    }
    rows->origin = std::move(now);
    rows->asRead = known;
    SendMessageW(list, LVM_SETITEMCOUNT, rows->rows.size(), 0);
}

namespace {

// Each UTF-16 unit as CharLowerBuffW makes it, looked up rather than asked for per character: a
// search goes through every text of the list.
const wchar_t *LowerCaseTable()
{
    static std::vector<wchar_t> table;
    if (table.empty()) {
        table.resize(0x10000);
        for (size_t unit = 0; unit < table.size(); unit++)
            table[unit] = static_cast<wchar_t>(unit);
        CharLowerBuffW(table.data(), static_cast<DWORD>(table.size()));
    }
    return table.data();
}

bool Holds(const wchar_t *text, const std::wstring &wanted, const wchar_t *fold)
{
    size_t length = wanted.size();
    for (; *text; text++) {
        size_t i = 0;
        while (i < length && text[i] && (fold ? fold[static_cast<unsigned short>(text[i])] : text[i]) == wanted[i])
            i++;
        if (i == length)
            return true;
    }
    return length == 0;
}

}  // namespace

int FindPhraseRow(HWND list, const wchar_t *text, bool matchCase, int after)
{
    PhraseRows *rows = RowsOf(list);
    if (!rows || !text || !*text || rows->rows.empty())
        return -1;
    const wchar_t *fold = matchCase ? nullptr : LowerCaseTable();
    std::wstring wanted(text);
    if (fold)
        for (wchar_t &unit : wanted)
            unit = fold[static_cast<unsigned short>(unit)];
    size_t count = rows->rows.size();
    size_t first = after < 0 || static_cast<size_t>(after) >= count ? 0 : static_cast<size_t>(after) + 1;
    for (size_t step = 0; step < count; step++) {
        size_t row = (first + step) % count;
        if (Holds(TextAt(*rows, rows->rows[row].source), wanted, fold) ||
            Holds(TextAt(*rows, rows->rows[row].target), wanted, fold))
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
