// Reading a workbook with expat, the streaming XML parser: the file is read and parsed in pieces
// on the calling thread while a worker stores the rows as they come, in a transaction that is
// committed only when the whole file parsed well, so a broken file changes nothing.
#include "exchange/workbook.h"

#include <expat.h>

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/known_ids.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "store/store_failure.h"

namespace {

// Cells are cut to 259 units, never between the halves of a surrogate pair.
constexpr size_t kCellUnits = 259;
// Deeper than any workbook: a file nested further is refused before it costs memory.
constexpr size_t kDeepestElement = 256;
// The file is read and parsed in pieces of this size, so memory does not grow with it.
constexpr int kReadBytes = 1 << 16;
const wchar_t kSpreadsheetNamespace[] = L"urn:schemas-microsoft-com:office:spreadsheet";

struct ImportRow {
    std::wstring cells[5];
};

// Rows go from the parse to the store worker in batches of this many.
constexpr size_t kBatchRows = 256;

// The parse waits while this many rows wait for the store, so memory stays the same whatever
// the file's size.
constexpr size_t kMostWaitingRows = 16 * kBatchRows;

// The rows the parse hands to the store worker, and how the parse ended.
struct RowQueue {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;       // rows or the end came
    CONDITION_VARIABLE taken;         // the worker took the waiting rows
    std::vector<ImportRow> waiting;   // parsed and not yet taken by the worker
    bool finished = false;            // the parse is over
    bool parsed = false;              // and the whole file parsed well
    bool refused = false;             // the store failed: the parse may stop, nothing more is kept
    int unusable = 0;                 // rows with cells but not five of them, set at the end
};

// Hands rows to the worker; finishing also tells it how the parse ended.
void HandOver(RowQueue *queue, std::vector<ImportRow> *rows, bool finished, bool parsed)
{
    EnterCriticalSection(&queue->lock);
    while (!finished && !queue->refused && queue->waiting.size() >= kMostWaitingRows)
        SleepConditionVariableCS(&queue->taken, &queue->lock, INFINITE);
    if (queue->waiting.empty())
        queue->waiting.swap(*rows);
    else
        std::move(rows->begin(), rows->end(), std::back_inserter(queue->waiting));
    queue->finished = finished;
    queue->parsed = parsed;
    LeaveCriticalSection(&queue->lock);
    WakeConditionVariable(&queue->changed);
    rows->clear();
}

// What an element is in the workbook's structure; anything else is Other, and so is everything
// inside it.
enum class Part { Root, Worksheet, Table, Row, Cell, Data, Other };

// A declaration of a namespace prefix on an open element.
struct Binding {
    bool spreadsheet;   // bound to the spreadsheet namespace
    size_t depth;       // how many elements were open around the one that declared it
};

// A prefix declared on an open element, in the order of declaration, so that it can be taken
// out of scope when its element ends.
struct Declared {
    std::wstring prefix;
    size_t depth;
};

struct Reader {
    XML_Parser parser;
    std::vector<Part> open;         // the elements open now, outermost first
    // Each prefix's declarations in scope, innermost last: a lookup costs the same however many
    // prefixes a file declares.
    std::unordered_map<std::wstring, std::vector<Binding>> bindings;
    std::vector<Declared> declared;
    std::wstring key;               // reused for lookups, so that they allocate nothing
    ImportRow row;                  // the cells of the row being read
    size_t cellsSeen = 0;           // Cell elements of the row so far
    bool cellHasData = false;
    int dataDepth = 0;              // > 0 inside the first Data of a cell
    std::vector<ImportRow> batch;   // rows read and not yet handed over
    int unusable = 0;               // rows with some cells, but not the five a pair needs
    RowQueue *queue;
};

// Names are resolved here rather than by expat's namespace processing, which would double the
// parse's time: the reader keeps the prefixes declared on open elements, refuses a name whose
// prefix is not declared (as namespace processing does), and knows which prefixes stand for the
// spreadsheet namespace.
const Binding *FindBinding(Reader *reader, const wchar_t *prefix, size_t length)
{
    reader->key.assign(prefix, length);
    auto found = reader->bindings.find(reader->key);
    if (found == reader->bindings.end() || found->second.empty())
        return nullptr;
    return &found->second.back();
}

// Whether a name's prefix is declared; names without one, and xml's own, always are.
bool PrefixDeclared(Reader *reader, const wchar_t *name)
{
    const wchar_t *colon = wcschr(name, L':');
    if (!colon)
        return true;
    size_t length = static_cast<size_t>(colon - name);
    if (length == 3 && wmemcmp(name, L"xml", 3) == 0)
        return true;
    return FindBinding(reader, name, length) != nullptr;
}

// Whether an element's name is the workbook element named local: its name as written without a
// prefix, or any prefix bound to the spreadsheet namespace.
bool Names(Reader *reader, const wchar_t *name, const wchar_t *local)
{
    const wchar_t *colon = wcschr(name, L':');
    if (!colon)
        return wcscmp(name, local) == 0;
    if (wcscmp(colon + 1, local) != 0)
        return false;
    const Binding *binding = FindBinding(reader, name, static_cast<size_t>(colon - name));
    return binding && binding->spreadsheet;
}

// Takes the namespace declarations among an element's attributes, then checks every prefix.
bool DeclareAndCheck(Reader *reader, const XML_Char *name, const XML_Char **attributes)
{
    for (const XML_Char **attribute = attributes; *attribute; attribute += 2)
        if (wcsncmp(attribute[0], L"xmlns:", 6) == 0) {
            const wchar_t *prefix = attribute[0] + 6;
            reader->bindings[prefix].push_back(
                Binding{wcscmp(attribute[1], kSpreadsheetNamespace) == 0, reader->open.size()});
            reader->declared.push_back(Declared{prefix, reader->open.size()});
        }
    if (!PrefixDeclared(reader, name))
        return false;
    for (const XML_Char **attribute = attributes; *attribute; attribute += 2)
        if (wcsncmp(attribute[0], L"xmlns", 5) != 0 && !PrefixDeclared(reader, attribute[0]))
            return false;
    return true;
}

void XMLCALL OnStart(void *data, const XML_Char *name, const XML_Char **attributes)
{
    Reader *reader = static_cast<Reader *>(data);
    if (reader->open.size() >= kDeepestElement || !DeclareAndCheck(reader, name, attributes)) {
        // expat still reports the end of an empty element it was stopped in: it finds it open.
        reader->open.push_back(Part::Other);
        XML_StopParser(reader->parser, XML_FALSE);
        return;
    }
    Part parent = reader->open.empty() ? Part::Other : reader->open.back();
    Part part = Part::Other;
    if (reader->open.empty())
        part = Part::Root;
    else if (parent == Part::Root && Names(reader, name, L"Worksheet"))
        part = Part::Worksheet;
    else if (parent == Part::Worksheet && Names(reader, name, L"Table"))
        part = Part::Table;
    else if (parent == Part::Table && Names(reader, name, L"Row"))
        part = Part::Row;
    else if (parent == Part::Row && Names(reader, name, L"Cell"))
        part = Part::Cell;
    else if (parent == Part::Cell && !reader->cellHasData && Names(reader, name, L"Data"))
        part = Part::Data;

    if (reader->dataDepth > 0)
        reader->dataDepth++;
    switch (part) {
    case Part::Row:
        reader->cellsSeen = 0;
        break;
    case Part::Cell:
        reader->cellsSeen++;
        reader->cellHasData = false;
        if (reader->cellsSeen <= 5)
            reader->row.cells[reader->cellsSeen - 1].clear();
        break;
    case Part::Data:
        reader->cellHasData = true;
        reader->dataDepth = 1;
        break;
    default:
        break;
    }
    reader->open.push_back(part);
}

void XMLCALL OnEnd(void *data, const XML_Char *)
{
    Reader *reader = static_cast<Reader *>(data);
    Part part = reader->open.back();
    reader->open.pop_back();
    while (!reader->declared.empty() && reader->declared.back().depth == reader->open.size()) {
        reader->bindings[reader->declared.back().prefix].pop_back();
        reader->declared.pop_back();
    }
    if (reader->dataDepth > 0)
        reader->dataDepth--;
    if (part == Part::Row && reader->cellsSeen != 5 && reader->cellsSeen != 0)
        reader->unusable++;
    if (part == Part::Row && reader->cellsSeen == 5) {
        for (std::wstring &cell : reader->row.cells)
            if (cell.size() > kCellUnits)
                cell.resize(IS_HIGH_SURROGATE(cell[kCellUnits - 1]) ? kCellUnits - 1 : kCellUnits);
        reader->batch.push_back(reader->row);
        if (reader->batch.size() >= kBatchRows)
            HandOver(reader->queue, &reader->batch, false, false);
    }
}

// The whole text of a cell's first Data element, every blank kept.
void XMLCALL OnText(void *data, const XML_Char *text, int length)
{
    Reader *reader = static_cast<Reader *>(data);
    if (reader->dataDepth > 0 && reader->cellsSeen >= 1 && reader->cellsSeen <= 5) {
        // One unit past the cut is kept, so that the cut can tell a split surrogate pair.
        std::wstring &cell = reader->row.cells[reader->cellsSeen - 1];
        if (cell.size() <= kCellUnits)
            cell.append(text, std::min(static_cast<size_t>(length), kCellUnits + 1 - cell.size()));
    }
}

// Entity declarations have no place in a workbook and are the stuff of expansion bombs: a file
// that declares one is refused.
void XMLCALL OnEntityDeclaration(void *data, const XML_Char *, int, const XML_Char *, int, const XML_Char *,
                                 const XML_Char *, const XML_Char *, const XML_Char *)
{
    XML_StopParser(static_cast<Reader *>(data)->parser, XML_FALSE);
}

// The code page a declared encoding names: windows-NNNN, cpNNNN, iso-8859-N; 0 for others.
UINT CodePageOf(const wchar_t *name)
{
    std::wstring lower = name;
    for (wchar_t &c : lower)
        c = static_cast<wchar_t>(towlower(c));
    if (lower.rfind(L"windows-", 0) == 0)
        return static_cast<UINT>(_wtoi(lower.c_str() + 8));
    if (lower.rfind(L"cp", 0) == 0)
        return static_cast<UINT>(_wtoi(lower.c_str() + 2));
    if (lower.rfind(L"iso-8859-", 0) == 0) {
        int part = _wtoi(lower.c_str() + 9);
        return part > 0 ? static_cast<UINT>(28590 + part) : 0;
    }
    return 0;
}

// Single-byte code pages that expat does not know itself, through the system's conversion.
int XMLCALL OnUnknownEncoding(void *, const XML_Char *name, XML_Encoding *info)
{
    UINT codePage = CodePageOf(name);
    CPINFO details;
    if (codePage == 0 || !GetCPInfo(codePage, &details) || details.MaxCharSize != 1)
        return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; byte++) {
        char single = static_cast<char>(byte);
        wchar_t wide = 0;
        info->map[byte] = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &single, 1, &wide, 1) == 1 ? wide : -1;
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

// Seconds since the last call, for the timings of an import.
class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&last_); }
    double Lap()
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        double seconds = double(now.QuadPart - last_.QuadPart) / double(frequency.QuadPart);
        last_ = now;
        return seconds;
    }

private:
    LARGE_INTEGER last_;
};


bool StoreRefused(RowQueue *queue)
{
    EnterCriticalSection(&queue->lock);
    bool refused = queue->refused;
    LeaveCriticalSection(&queue->lock);
    return refused;
}

// Reads and parses the file in pieces, handing its rows to the worker as they come, and at the
// end tells the worker how it ended. False when the file cannot be read or is not well-formed.
bool ParseWorkbook(HANDLE file, RowQueue *queue, ImportTimings *timings)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        std::vector<ImportRow> none;
        HandOver(queue, &none, true, false);
        return false;
    }
    Reader reader;
    reader.parser = parser;
    reader.queue = queue;
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);

    Stopwatch clock;
    bool parsed = true, last = false;
    while (parsed && !last && !StoreRefused(queue)) {
        void *buffer = XML_GetBuffer(parser, kReadBytes);
        DWORD got = 0;
        parsed = buffer && ReadFile(file, buffer, kReadBytes, &got, nullptr);
        last = got == 0;
        timings->read += clock.Lap();
        parsed = parsed && XML_ParseBuffer(parser, static_cast<int>(got), last) == XML_STATUS_OK;
        timings->parse += clock.Lap();
    }
    XML_ParserFree(parser);
    queue->unusable = reader.unusable;
    HandOver(queue, &reader.batch, true, parsed);
    return parsed;
}

struct StoreWork {
    sqlite3 *db;
    RowQueue *queue;
    int stored;
    int held;         // rows the store holds already, not stored again
    bool committed;   // the rows are in the store
    bool refused;     // the store failed: nothing of the file is in it
    double seconds;
    int cause;        // SQLite's code for the store's first failure
};

// Stores the rows the store does not hold yet (the same category, language codes and texts),
// stopping at the first that fails. False when one failed.
bool StoreBatch(KnownIds *known, KnownPairs *pairs, PhraseInserter *inserter, const std::vector<ImportRow> &rows,
                StoreWork *work)
{
    for (const ImportRow &row : rows) {
        RecordId categoryId = KnownCategoryId(known, row.cells[0]);
        RecordId sourceId = categoryId ? KnownLanguageId(known, row.cells[3], L" ") : 0;
        RecordId targetId = sourceId ? KnownLanguageId(known, row.cells[4], L" ") : 0;
        bool held = false;
        if (!targetId ||
            !KnownPairHeld(pairs, categoryId, sourceId, targetId, row.cells[1], row.cells[2], &held))
            return false;
        if (held) {
            work->held++;
            continue;
        }
        RecordId id = InsertPhraseWith(inserter, categoryId, sourceId, targetId, row.cells[1].c_str(), row.cells[2].c_str());
        if (!id)
            return false;
        AddKnownPair(pairs, id, categoryId, sourceId, targetId, row.cells[1], row.cells[2]);
        work->stored++;
    }
    // SQLite ends the transaction by itself after some failures (a full disk): whatever came
    // after would be stored outside it, one row at a time.
    return sqlite3_get_autocommit(sqlite3_db_handle(inserter->statement)) == 0;
}

// Tells the parse that the store failed: it stops, and rows it still hands over are dropped.
void Refuse(StoreWork *work)
{
    if (!work->refused)
        work->cause = sqlite3_errcode(work->db);
    work->refused = true;
    EnterCriticalSection(&work->queue->lock);
    work->queue->refused = true;
    LeaveCriticalSection(&work->queue->lock);
    WakeConditionVariable(&work->queue->taken);
}

// The store worker: stores rows as the parse hands them over, in one transaction that it commits
// when the whole file parsed well and every row was stored, and rolls back otherwise, so that a
// broken file or a failing store changes nothing.
// A small page cache lets SQLite write pages to the file while the parse still runs, rather than
// all of them at the commit.
DWORD WINAPI StoreRows(void *parameter)
{
    StoreWork *work = static_cast<StoreWork *>(parameter);
    RowQueue *queue = work->queue;
    sqlite3 *db = work->db;
    double seconds = 0;
    Stopwatch clock;
    wchar_t cacheSize[16];
    QueryFirstText(db, L"PRAGMA cache_size", cacheSize, 16);
    RunStatement(db, L"PRAGMA cache_size=-4096");
    // The rows are stored only within a transaction of the import's own, so that a broken file
    // can be undone; a store already in a transaction stores nothing. It takes the write lock at
    // once (waiting its turn behind other writers): taken later, a reader's lock held here could
    // leave two writers waiting on each other, and SQLite would fail one of them at once.
    bool own = sqlite3_get_autocommit(db) != 0 && RunStatement(db, L"Begin Immediate") == SQLITE_DONE;
    KnownIds known;
    KnownPairs pairs;
    PhraseInserter inserter = {};
    bool prepared = own && BeginKnownIds(db, &known) && BeginKnownPairs(db, &pairs) && BeginPhraseInserts(db, &inserter);
    if (!prepared)
        Refuse(work);
    std::vector<ImportRow> rows;
    bool parsed = false;
    for (bool finished = false; !finished;) {
        seconds += clock.Lap();
        EnterCriticalSection(&queue->lock);
        while (queue->waiting.empty() && !queue->finished)
            SleepConditionVariableCS(&queue->changed, &queue->lock, INFINITE);
        rows.swap(queue->waiting);
        finished = queue->finished;
        parsed = queue->parsed;
        LeaveCriticalSection(&queue->lock);
        WakeConditionVariable(&queue->taken);
        clock.Lap();
        // Rows that came before a broken part are not worth storing: all of them are undone.
        if (finished && !parsed)
            rows.clear();
        if (!work->refused && !StoreBatch(&known, &pairs, &inserter, rows, work))
            Refuse(work);
        rows.clear();
    }
    EndPhraseInserts(&inserter);
    EndKnownPairs(&pairs);
    EndKnownIds(&known);
    work->committed = own && parsed && !work->refused && RunStatement(db, L"Commit") == SQLITE_DONE;
    if (own && !work->committed) {
        if (!work->refused && parsed)
            work->cause = sqlite3_errcode(db);
        work->refused = work->refused || parsed;
        if (!sqlite3_get_autocommit(db))
            RunStatement(db, L"Rollback");
    }
    if (!work->committed) {
        work->stored = 0;
        work->held = 0;
    }
    wchar_t restore[48];
    if (cacheSize[0] != 0 && FormatStatement(restore, 48, L"PRAGMA cache_size=%s", cacheSize))
        RunStatement(db, restore);
    work->seconds = seconds + clock.Lap();
    return 0;
}

// Says what an import did: pairs added, pairs the store held already, rows of no use.
void ShowImportSummary(HWND owner, const ImportCounts &counts)
{
    wchar_t title[128] = {}, format[128] = {}, text[256] = {};
    GetWindowTextW(owner, title, 128);
    LoadStringW(GetResourceModule(), IDS_IMPORT_SUMMARY, format, 128);
    _snwprintf(text, 255, format, counts.added, counts.held, counts.unusable);
    MessageBoxW(owner, text, title, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int ImportWorkbookFile(sqlite3 *db, const std::wstring &path, ImportTimings *timings, int *cause, ImportCounts *counts)
{
    ImportCounts uncounted;
    if (!counts)
        counts = &uncounted;
    *counts = ImportCounts();
    ImportTimings unused;
    if (!timings)
        timings = &unused;
    *timings = ImportTimings();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kImportUnreadable;
    RowQueue queue;
    InitializeCriticalSection(&queue.lock);
    InitializeConditionVariable(&queue.changed);
    InitializeConditionVariable(&queue.taken);
    StoreWork work = {db, &queue, 0, 0, false, false, 0, SQLITE_OK};
    HANDLE worker = CreateThread(nullptr, 0, StoreRows, &work, 0, nullptr);
    bool parsed = false;
    if (worker) {
        parsed = ParseWorkbook(file, &queue, timings);
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
    CloseHandle(file);
    DeleteCriticalSection(&queue.lock);
    timings->store = work.seconds;
    if (cause)
        *cause = work.cause;
    if (work.refused)
        return kImportNotStored;
    if (!parsed || !work.committed)
        return kImportUnreadable;
    *counts = {work.stored, work.held, queue.unusable};
    return work.stored;
}

bool ImportWorkbook(HWND owner, sqlite3 *db)
{
    wchar_t path[MAX_PATH];
    if (!AskFileName(owner, path, FALSE, L"xml", IDS_FILTER_XML))
        return false;
    int cause = SQLITE_OK;
    ImportCounts counts;
    int stored = ImportWorkbookFile(db, path, nullptr, &cause, &counts);
    if (stored == kImportNotStored)
        ShowStoreFailure(owner, IDS_NOT_IMPORTED, cause, true, path);
    else if (stored == kImportUnreadable)
        ShowErrorMessage(owner, IDS_NOT_A_WORKBOOK, path);
    else
        ShowImportSummary(owner, counts);
    return stored > 0;
}
