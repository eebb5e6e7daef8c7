// The streamed workbook must be byte for byte what MSXML's save writes for the same document,
// built the DOM way: skeleton, processing instructions, attributes in order, rows appended.
#include <windows.h>
#include <msxml2.h>

#include <gtest/gtest.h>

#include "common/com_ptr.h"
#include "exchange/export_query.h"
#include "exchange/workbook.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/temp_folder.h"

namespace {

const CLSID kDomDocumentClass = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

struct Variant {
    VARIANT value;
    explicit Variant(const wchar_t *text)
    {
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
    }
    ~Variant() { VariantClear(&value); }
};

void SetAttribute(IXMLDOMNode *node, const wchar_t *name, const wchar_t *text)
{
    ComPtr<IXMLDOMElement> element;
    node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void **>(element.Out()));
    Bstr attribute;
    *attribute.Out() = SysAllocString(name);
    Variant value(text);
    element->setAttribute(attribute.Get(), value.value);
}

ComPtr<IXMLDOMNode> *Select(IXMLDOMNode *from, const wchar_t *path, ComPtr<IXMLDOMNode> *found)
{
    Bstr query;
    *query.Out() = SysAllocString(path);
    from->selectSingleNode(query.Get(), found->Out());
    return found;
}

void AppendElement(IXMLDOMDocument *document, IXMLDOMNode *parent, const wchar_t *name, ComPtr<IXMLDOMNode> *child)
{
    Bstr tag;
    *tag.Out() = SysAllocString(name);
    ComPtr<IXMLDOMElement> element;
    document->createElement(tag.Get(), element.Out());
    parent->appendChild(element.Get(), child->Out());
}

// Saves, through MSXML, the workbook document of the whole store.
void SaveWithMsxml(sqlite3 *db, int categoryId, const std::wstring &path)
{
    ComPtr<IXMLDOMDocument> document;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                           reinterpret_cast<void **>(document.Out()))));
    Bstr skeleton;
    *skeleton.Out() = SysAllocString(L"<Workbook><Worksheet><Table/><WorksheetOptions><PageSetup><Header/><Footer/>"
                                     L"<PageMargins/></PageSetup></WorksheetOptions></Worksheet></Workbook>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(skeleton.Get(), &loaded);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(root.Out());
    const wchar_t *instructions[2][2] = {{L"xml", L"version='1.0'"}, {L"mso-application", L"progid='Excel.Sheet'"}};
    for (auto &instruction : instructions) {
        Bstr target, data;
        *target.Out() = SysAllocString(instruction[0]);
        *data.Out() = SysAllocString(instruction[1]);
        ComPtr<IXMLDOMProcessingInstruction> node;
        document->createProcessingInstruction(target.Get(), data.Get(), node.Out());
        VARIANT before;
        VariantInit(&before);
        before.vt = VT_UNKNOWN;
        before.punkVal = root.Get();
        ComPtr<IXMLDOMNode> inserted;
        document->insertBefore(node.Get(), before, inserted.Out());
    }
    SetAttribute(root.Get(), L"xmlns", L"urn:schemas-microsoft-com:office:spreadsheet");
    SetAttribute(root.Get(), L"xmlns:o", L"urn:schemas-microsoft-com:office:office");
    SetAttribute(root.Get(), L"xmlns:x", L"urn:schemas-microsoft-com:office:excel");
    SetAttribute(root.Get(), L"xmlns:ss", L"urn:schemas-microsoft-com:office:spreadsheet");
    SetAttribute(root.Get(), L"xmlns:html", L"http://www.w3.org/TR/REC-html40");
    ComPtr<IXMLDOMNode> worksheet, table;
    SetAttribute(Select(root.Get(), L"Worksheet", &worksheet)->Get(), L"ss:Name", L"Lingotrove");
    Select(root.Get(), L"Worksheet/Table", &table);

    int rows = 0;
    sqlite3_stmt *statement = PrepareExportQuery(db, categoryId, false);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ComPtr<IXMLDOMNode> row;
        AppendElement(document.Get(), table.Get(), L"Row", &row);
        for (int column = 0; column < 5; column++) {
            ComPtr<IXMLDOMNode> cell, data;
            AppendElement(document.Get(), row.Get(), L"Cell", &cell);
            AppendElement(document.Get(), cell.Get(), L"Data", &data);
            const void *text = sqlite3_column_text16(statement, column);
            if (text) {
                Bstr content;
                *content.Out() = SysAllocString(static_cast<const wchar_t *>(text));
                data->put_text(content.Get());
            }
            SetAttribute(data.Get(), L"ss:Type", L"String");
        }
        rows++;
    }
    sqlite3_finalize(statement);
    SetAttribute(table.Get(), L"ss:ExpandedColumnCount", L"5");
    SetAttribute(table.Get(), L"ss:ExpandedRowCount", std::to_wstring(rows).c_str());
    SetAttribute(table.Get(), L"x:FullColumns", L"1");
    SetAttribute(table.Get(), L"x:FullRows", L"1");

    ComPtr<IXMLDOMNode> options, setup, header, footer, margins;
    SetAttribute(Select(root.Get(), L"Worksheet/WorksheetOptions", &options)->Get(), L"xmlns",
                 L"urn:schemas-microsoft-com:office:excel");
    Select(options.Get(), L"PageSetup", &setup);
    SetAttribute(Select(setup.Get(), L"Header", &header)->Get(), L"x:Margin", L"0");
    SetAttribute(Select(setup.Get(), L"Footer", &footer)->Get(), L"x:Margin", L"0");
    Select(setup.Get(), L"PageMargins", &margins);
    for (const wchar_t *side : {L"x:Bottom", L"x:Left", L"x:Right", L"x:Top"})
        SetAttribute(margins.Get(), side, L"0.25");
    Variant file(path.c_str());
    ASSERT_TRUE(SUCCEEDED(document->save(file.value)));
}

TEST(WorkbookByteForm, IsWhatMsxmlSaves)
{
    ComApartment com;
    TempFolder folder;
    sqlite3 *db = OpenPhraseStore(folder.File(L"form.db").c_str(), true);
    auto expectSameBytes = [&](int categoryId, const char *what) {
        SCOPED_TRACE(what);
        std::wstring streamed = folder.File(L"streamed.xml");
        std::wstring saved = folder.File(L"saved.xml");
        ASSERT_TRUE(WriteWorkbook(db, categoryId, false, streamed));
        SaveWithMsxml(db, categoryId, saved);
        EXPECT_EQ(ReadFileBytes(streamed), ReadFileBytes(saved));
    };
    expectSameBytes(0, "an empty store");
    int first = GetOrCreateCategory(db, L"Saludos & <m\u00E1s>");
    int second = GetOrCreateCategory(db, L"\u65C5\u884C");
    int empty = GetOrCreateCategory(db, L"Empty");
    InsertPhrase(db, first, 1, 2, L"good morning", L"buenos d\u00EDas");
    InsertPhrase(db, first, 1, 2, L"tab\there \"quoted\" 'single'", L"line\r\nbreak > done");
    InsertPhrase(db, second, 2, 1, L"\U0001F600 emoji", L"");
    expectSameBytes(0, "every category");
    expectSameBytes(first, "one category");
    expectSameBytes(empty, "an empty category");
    sqlite3_close(db);
}

}  // namespace
