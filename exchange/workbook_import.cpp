// Reading a workbook with MSXML's document object model.
//
// Measured under Wine on a 100,000-row file: load() of a path takes about 12 s, while handing the
// file's bytes to load() as a byte array takes 1.2 s; walking the tree with firstChild and
// nextSibling takes under a second, where a selectNodes per row is far slower. MSXML's SAX reader
// is ruled out: it is slow on a one-line file (which the export writes) and turns &#13; into a
// line feed.
#include "exchange/workbook.h"

#include <msxml2.h>

#include <map>
#include <vector>

#include "common/com_ptr.h"
#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "store/phrase_store.h"
#include "store/statement.h"

namespace {

// CLSID_DOMDocument ("Microsoft.XMLDOM"), defined here: the MinGW import libraries lack it.
const CLSID kDomDocumentClass = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Cells are cut to 259 units, never between the halves of a surrogate pair.
constexpr size_t kCellUnits = 259;

struct ImportRow {
    std::wstring cells[5];
};

bool ReadFileInto(const std::wstring &path, std::vector<unsigned char> *bytes)
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

bool Load(IXMLDOMDocument *document, const std::vector<unsigned char> &bytes)
{
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array)
        return false;
    void *data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        if (!bytes.empty())
            memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_ARRAY | VT_UI1;
    source.parray = array;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT result = document->load(source, &loaded);
    VariantClear(&source);
    return SUCCEEDED(result) && loaded == VARIANT_TRUE;
}

bool IsElementNamed(IXMLDOMNode *node, const wchar_t *name)
{
    DOMNodeType type;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT)
        return false;
    Bstr nodeName;
    return SUCCEEDED(node->get_nodeName(nodeName.Out())) && wcscmp(nodeName.Text(), name) == 0;
}

// Calls visit for every element child of parent named name, in document order, until visit
// returns false.
template <typename Visit>
void ForEachChildNamed(IXMLDOMNode *parent, const wchar_t *name, Visit visit)
{
    IXMLDOMNode *child = nullptr;
    if (FAILED(parent->get_firstChild(&child)))
        return;
    while (child) {
        bool goOn = !IsElementNamed(child, name) || visit(child);
        IXMLDOMNode *next = nullptr;
        if (goOn && FAILED(child->get_nextSibling(&next)))
            next = nullptr;
        child->Release();
        child = next;
    }
}

std::wstring CutCell(const wchar_t *text)
{
    std::wstring cell = text;
    if (cell.size() > kCellUnits)
        cell.resize(IS_HIGH_SURROGATE(cell[kCellUnits - 1]) ? kCellUnits - 1 : kCellUnits);
    return cell;
}

// The full text of the cell's first Data child; empty when it has none.
std::wstring CellText(IXMLDOMNode *cell)
{
    std::wstring text;
    ForEachChildNamed(cell, L"Data", [&text](IXMLDOMNode *data) {
        Bstr content;
        if (SUCCEEDED(data->get_text(content.Out())))
            text = CutCell(content.Text());
        return false;
    });
    return text;
}

// Collects every five-cell row under Worksheet/Table/Row of the root, worksheet after worksheet.
void CollectRows(IXMLDOMNode *root, std::vector<ImportRow> *rows)
{
    ForEachChildNamed(root, L"Worksheet", [rows](IXMLDOMNode *worksheet) {
        ForEachChildNamed(worksheet, L"Table", [rows](IXMLDOMNode *table) {
            ForEachChildNamed(table, L"Row", [rows](IXMLDOMNode *rowNode) {
                std::vector<std::wstring> cells;
                ForEachChildNamed(rowNode, L"Cell", [&cells](IXMLDOMNode *cell) {
                    cells.push_back(CellText(cell));
                    return cells.size() <= 5;
                });
                if (cells.size() == 5) {
                    ImportRow row;
                    for (int i = 0; i < 5; i++)
                        row.cells[i] = cells[i];
                    rows->push_back(row);
                }
                return true;
            });
            return true;
        });
        return true;
    });
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
    std::vector<unsigned char> bytes;
    if (!ReadFileInto(path, &bytes))
        return false;
    timings->read = clock.Lap();
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void **>(document.Out()))))
        return false;
    // Before the load: whitespace-only cell texts are dropped by a load that does not keep them.
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    if (!Load(document.Get(), bytes))
        return false;
    timings->parse = clock.Lap();
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(root.Out())) || !root)
        return false;
    CollectRows(root.Get(), rows);
    timings->walk = clock.Lap();
    return true;
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
