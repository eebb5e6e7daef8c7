// Reading a workbook with expat, the streaming XML parser: the rows are collected while the file
// is parsed, and stored only once the whole file has parsed well, so a broken file changes nothing.
#include "exchange/workbook.h"

#include <expat.h>

#include <map>
#include <vector>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "store/phrase_store.h"
#include "store/statement.h"

namespace {

// Cells are cut to 259 units, never between the halves of a surrogate pair.
constexpr size_t kCellUnits = 259;
// Deeper than any workbook: a file nested further is refused before it costs memory.
constexpr int kDeepestElement = 256;
const wchar_t kSpreadsheetNamespace[] = L"urn:schemas-microsoft-com:office:spreadsheet";
// Between the parts of a namespaced name as expat reports it: URI, local name, prefix.
constexpr wchar_t kNameSeparator = L'\x01';

struct ImportRow {
    std::wstring cells[5];
};

bool ReadFileInto(const std::wstring &path, std::vector<char> *bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (read) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes->empty() ||
               (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) &&
                got == bytes->size());
    }
    CloseHandle(file);
    return read;
}

std::wstring CutCell(const std::wstring &text)
{
    std::wstring cell = text;
    if (cell.size() > kCellUnits)
        cell.resize(IS_HIGH_SURROGATE(cell[kCellUnits - 1]) ? kCellUnits - 1 : kCellUnits);
    return cell;
}

// What an element is in the workbook's structure; anything else is Other, and so is everything
// inside it.
enum class Part { Root, Worksheet, Table, Row, Cell, Data, Other };

struct Reader {
    XML_Parser parser;
    std::vector<Part> open;         // the elements open now, outermost first
    std::vector<std::wstring> cells;
    size_t cellsSeen = 0;           // Cell elements of the row so far
    bool cellHasData = false;
    int dataDepth = 0;              // > 0 inside the first Data of a cell
    std::vector<ImportRow> *rows;
};

// Whether an element's name, as expat reports it, is the workbook element named local: its name
// as written without a prefix, or any prefix bound to the spreadsheet namespace.
bool Names(const XML_Char *name, const wchar_t *local)
{
    const wchar_t *separator = wcschr(name, kNameSeparator);
    if (!separator)
        return wcscmp(name, local) == 0;
    const wchar_t *rest = separator + 1;
    size_t length = wcslen(local);
    if (wcsncmp(rest, local, length) != 0)
        return false;
    if (rest[length] == 0)
        return true;                        // unprefixed, in a default namespace
    if (rest[length] != kNameSeparator)
        return false;
    size_t uri = static_cast<size_t>(separator - name);
    return uri == wcslen(kSpreadsheetNamespace) && wcsncmp(name, kSpreadsheetNamespace, uri) == 0;
}

void XMLCALL OnStart(void *data, const XML_Char *name, const XML_Char **)
{
    Reader *reader = static_cast<Reader *>(data);
    if (reader->open.size() >= static_cast<size_t>(kDeepestElement)) {
        XML_StopParser(reader->parser, XML_FALSE);
        return;
    }
    Part parent = reader->open.empty() ? Part::Other : reader->open.back();
    Part part = Part::Other;
    if (reader->open.empty())
        part = Part::Root;
    else if (parent == Part::Root && Names(name, L"Worksheet"))
        part = Part::Worksheet;
    else if (parent == Part::Worksheet && Names(name, L"Table"))
        part = Part::Table;
    else if (parent == Part::Table && Names(name, L"Row"))
        part = Part::Row;
    else if (parent == Part::Row && Names(name, L"Cell"))
        part = Part::Cell;
    else if (parent == Part::Cell && Names(name, L"Data") && !reader->cellHasData)
        part = Part::Data;

    if (reader->dataDepth > 0)
        reader->dataDepth++;
    switch (part) {
    case Part::Row:
        reader->cells.clear();
        reader->cellsSeen = 0;
        break;
    case Part::Cell:
        reader->cellsSeen++;
        reader->cellHasData = false;
        if (reader->cellsSeen <= 5)
            reader->cells.emplace_back();
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
    if (reader->dataDepth > 0)
        reader->dataDepth--;
    if (part == Part::Row && reader->cellsSeen == 5) {
        ImportRow row;
        for (int i = 0; i < 5; i++)
            row.cells[i] = CutCell(reader->cells[i]);
        reader->rows->push_back(row);
    }
}

// The whole text of a cell's first Data element, every blank kept.
void XMLCALL OnText(void *data, const XML_Char *text, int length)
{
    Reader *reader = static_cast<Reader *>(data);
    if (reader->dataDepth > 0 && reader->cellsSeen <= 5 && !reader->cells.empty())
        reader->cells.back().append(text, length);
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

bool ParseWorkbook(const std::wstring &path, std::vector<ImportRow> *rows, ImportTimings *timings)
{
    Stopwatch clock;
    std::vector<char> bytes;
    if (!ReadFileInto(path, &bytes))
        return false;
    timings->read = clock.Lap();
    XML_Parser parser = XML_ParserCreateNS(nullptr, kNameSeparator);
    if (!parser)
        return false;
    XML_SetReturnNSTriplet(parser, XML_TRUE);
    Reader reader;
    reader.parser = parser;
    reader.rows = rows;
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
    bool parsed = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    timings->parse = clock.Lap();
    if (!parsed)
        rows->clear();
    return parsed;
}

// Ids found or created within one import, so that each description or code is asked once.
int CachedId(std::map<std::wstring, int> *cache, const std::wstring &key, int (*lookup)(sqlite3 *, const std::wstring &),
             sqlite3 *db)
{
    auto found = cache->find(key);
    if (found != cache->end())
        return found->second;
    int id = lookup(db, key);
    if (id != 0)
        (*cache)[key] = id;
    return id;
}

}  // namespace

int ImportWorkbookFile(sqlite3 *db, const std::wstring &path, ImportTimings *timings)
{
    ImportTimings unused;
    if (!timings)
        timings = &unused;
    *timings = ImportTimings();
    // The whole file is parsed before anything is stored, so a broken file changes nothing.
    std::vector<ImportRow> rows;
    if (!ParseWorkbook(path, &rows, timings))
        return -1;
    Stopwatch clock;

    std::map<std::wstring, int> categories, languages;
    auto category = [](sqlite3 *store, const std::wstring &description) {
        return GetOrCreateCategory(store, description.c_str());
    };
    auto language = [](sqlite3 *store, const std::wstring &code) {
        return GetOrCreateLanguage(store, code.c_str(), L" ");
    };
    int stored = 0;
    BeginTransaction(db);
    for (const ImportRow &row : rows) {
        int categoryId = CachedId(&categories, row.cells[0], category, db);
        int sourceId = CachedId(&languages, row.cells[3], language, db);
        int targetId = CachedId(&languages, row.cells[4], language, db);
        if (InsertPhrase(db, categoryId, sourceId, targetId, row.cells[1].c_str(), row.cells[2].c_str()))
            stored++;
    }
    CommitTransaction(db);
    timings->store = clock.Lap();
    return stored;
}

void ImportWorkbook(HWND owner, sqlite3 *db)
{
    wchar_t path[MAX_PATH];
    if (AskFileName(owner, path, FALSE, L"xml", IDS_FILTER_XML))
        ImportWorkbookFile(db, path);
}
