// Workbook export and import on real files and real databases, through MSXML under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "common/com_ptr.h"
#include "exchange/export_query.h"
#include "exchange/output_file.h"
#include "exchange/workbook.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/temp_folder.h"

namespace {

class WorkbookTest : public ::testing::Test {
protected:
    ComApartment com;
    TempFolder folder;
    sqlite3 *db = nullptr;
    std::wstring book = folder.File(L"book.xml");

    void SetUp() override { db = NewStore(L"source.db"); }
    void TearDown() override { sqlite3_close(db); }
    sqlite3 *NewStore(const wchar_t *name) { return OpenPhraseStore(folder.File(name).c_str(), true); }
    static ::Rows Pairs(sqlite3 *store)
    {
        return QueryRows(store, L"SELECT C.DESCRIPTION,P.SOURCE,P.TARGET,S.CODE,T.CODE FROM PHRASE P "
                                L"JOIN CATEGORY C ON C.ID=P.CATEGORYID JOIN LANGUAGE S ON S.ID=P.SLANGUAGEID "
                                L"JOIN LANGUAGE T ON T.ID=P.TLANGUAGEID ORDER BY P.ID");
    }
};

const char kHead[] =
    "<?xml version='1.0'?>\n<?mso-application progid='Excel.Sheet'?>\n"
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
    "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
    "xmlns:html=\"http://www.w3.org/TR/REC-html40\"><Worksheet ss:Name=\"Lingotrove\"><Table ss:ExpandedColumnCount=\"5\" "
    "ss:ExpandedRowCount=\"";
const char kTail[] =
    "</Table><WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\"><PageSetup><Header x:Margin=\"0\"/>"
    "<Footer x:Margin=\"0\"/><PageMargins x:Bottom=\"0.25\" x:Left=\"0.25\" x:Right=\"0.25\" x:Top=\"0.25\"/>"
    "</PageSetup></WorksheetOptions></Worksheet></Workbook>\n";

std::string Cells(std::initializer_list<const char *> texts)
{
    std::string row = "<Row>";
    for (const char *text : texts)
        row += *text ? std::string("<Cell><Data ss:Type=\"String\">") + text + "</Data></Cell>"
                     : std::string("<Cell><Data ss:Type=\"String\"/></Cell>");
    return row + "</Row>";
}

TEST_F(WorkbookTest, ExportWritesTheDocumentByteForByte)
{
    int saludos = GetOrCreateCategory(db, L"Saludos");
    int viaje = GetOrCreateCategory(db, L"Viaje & <m\u00E1s>");
    InsertPhrase(db, saludos, 1, 2, L"hello", L"hola");
    InsertPhrase(db, saludos, 1, 2, L"good morning", L"buenos d\u00EDas");
    InsertPhrase(db, viaje, 1, 2, L"ticket\r\nstub \"x\"", L"");
    InsertPhrase(db, viaje, 1, 99, L"lost language", L"x");
    InsertPhrase(db, 77, 1, 2, L"lost category", L"x");
    ASSERT_TRUE(WriteWorkbook(db, 0, false, book));
    // A pair of no existing category comes along, without a description; one whose language is
    // gone does not.
    EXPECT_EQ(ReadFileBytes(book),
              std::string(kHead) + "4\" x:FullColumns=\"1\" x:FullRows=\"1\">" +
                  Cells({"", "lost category", "x", "en", "es"}) +
                  Cells({"Saludos", "good morning", "buenos d\xC3\xAD" "as", "en", "es"}) +
                  Cells({"Saludos", "hello", "hola", "en", "es"}) +
                  Cells({"Viaje &amp; &lt;m\xC3\xA1s&gt;", "ticket&#13;\nstub \"x\"", "", "en", "es"}) + kTail);

    ASSERT_TRUE(WriteWorkbook(db, saludos, true, book));
    EXPECT_EQ(ReadFileBytes(book),
              std::string(kHead) + "2\" x:FullColumns=\"1\" x:FullRows=\"1\">" +
                  Cells({"Saludos", "buenos d\xC3\xAD" "as", "good morning", "es", "en"}) +
                  Cells({"Saludos", "hola", "hello", "es", "en"}) + kTail);

    for (int nothing : {-1, 555}) {
        ASSERT_TRUE(WriteWorkbook(db, nothing, false, book));
        // No rows: an empty Table element, as MSXML writes it.
        EXPECT_EQ(ReadFileBytes(book),
                  std::string(kHead) + "0\" x:FullColumns=\"1\" x:FullRows=\"1\"/>" + (kTail + strlen("</Table>")));
    }
}

// The export's one sort key gives exactly the order of sorting by description and then text, as
// stored: nulls first, a description before a longer one it begins, code units compared in the
// store's own encoding (UTF-16 for stores this program makes, UTF-8 for others).
TEST_F(WorkbookTest, ExportOrderIsDescriptionThenFirstText)
{
    for (const wchar_t *encoding : {L"UTF-16le", L"UTF-8"}) {
        SCOPED_TRACE(encoding);
        sqlite3 *store = nullptr;
        ASSERT_EQ(sqlite3_open16(folder.File(encoding).c_str(), &store), SQLITE_OK);
        RunStatement(store, (std::wstring(L"PRAGMA encoding='") + encoding + L"'").c_str());
        RunStatement(store, L"CREATE TABLE CATEGORY(ID INTEGER PRIMARY KEY ASC, DESCRIPTION TEXT)");
        RunStatement(store, L"CREATE TABLE LANGUAGE(ID INTEGER PRIMARY KEY ASC, CODE TEXT, DESCRIPTION TEXT)");
        RunStatement(store, L"CREATE TABLE PHRASE(ID INTEGER PRIMARY KEY ASC, CATEGORYID INTEGER, "
                            L"SLANGUAGEID INTEGER, TLANGUAGEID INTEGER, SOURCE TEXT, TARGET TEXT)");
        GetOrCreateLanguage(store, L"en", L"English");
        GetOrCreateLanguage(store, L"es", L"Espa\u00F1ol");
        const wchar_t *descriptions[] = {L"", L"a", L"a\u0100", L"ab", L"a b", L"A", L"dup", L"dup", L"\u00E9",
                                         L"\U0001F600", L"\uFF21", L"\u0100a", L"a\u00FF"};
        std::vector<int> categories = {0, 999};   // no category, and a category that is gone
        RunStatement(store, L"INSERT INTO CATEGORY (DESCRIPTION) VALUES (NULL)");
        categories.push_back(static_cast<int>(sqlite3_last_insert_rowid(store)));
        for (const wchar_t *description : descriptions) {
            RunStatement(store, (std::wstring(L"INSERT INTO CATEGORY (DESCRIPTION) VALUES ('") + description + L"')").c_str());
            categories.push_back(static_cast<int>(sqlite3_last_insert_rowid(store)));
        }
        const wchar_t *texts[] = {L"NULL", L"''", L"'x'", L"'x\u0100'", L"'X'", L"'\u0100'", L"'\u00E9'", L"'x y'",
                                  L"'\U0001F600'", L"'\uFF58'"};
        int n = 0;
        for (int category : categories)
            for (const wchar_t *text : texts) {
                wchar_t sql[256];
                _snwprintf(sql, 256,
                           L"INSERT INTO PHRASE (CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) VALUES "
                           L"(%d,1,2,%ls,%ls)", category, (n++ % 3) ? text : L"'t'", text);
                RunStatement(store, sql);
            }
        for (bool reversed : {false, true}) {
            ::Rows exported;
            sqlite3_stmt *statement = PrepareExportQuery(store, 0, reversed);
            ASSERT_NE(statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                std::vector<std::wstring> row;
                for (int column : {0, 1}) {
                    const void *text = sqlite3_column_text16(statement, column);
                    row.push_back(text ? static_cast<const wchar_t *>(text) : L"<null>");
                }
                exported.push_back(row);
            }
            sqlite3_finalize(statement);
            const wchar_t *first = reversed ? L"P.TARGET" : L"P.SOURCE";
            ::Rows expected = QueryRows(store, (std::wstring(L"SELECT C.DESCRIPTION,") + first +
                                                L" FROM PHRASE P LEFT JOIN CATEGORY C ON C.ID=P.CATEGORYID "
                                                L"ORDER BY C.DESCRIPTION," + first).c_str());
            EXPECT_EQ(exported.size(), categories.size() * std::size(texts));
            EXPECT_EQ(exported, expected) << "reversed " << reversed;
        }
        sqlite3_close(store);
    }
}

TEST_F(WorkbookTest, RoundTripKeepsEveryTextExactly)
{
    int tricky = GetOrCreateCategory(db, L"O'Neil \"<&>\"");
    int de = GetOrCreateLanguage(db, L"de", L"Deutsch");
    const wchar_t *texts[][2] = {
        {L"  leading and trailing  ", L"   "},
        {L"line\r\nbreak\ttab", L"cr\ronly"},
        {L"\u4F60\u597D \U0001F600 d\u00EDas", L"\u00BF\u00A1!?"},
        {L"</Data></Cell>", L"]]> &amp;"},
    };
    for (auto &pair : texts)
        InsertPhrase(db, tricky, de, 2, pair[0], pair[1]);
    ASSERT_TRUE(WriteWorkbook(db, 0, false, book));

    sqlite3 *target = NewStore(L"target.db");
    EXPECT_EQ(ImportWorkbookFile(target, book), 4);
    ::Rows imported = Pairs(target), original = Pairs(db);
    std::sort(imported.begin(), imported.end());
    std::sort(original.begin(), original.end());
    EXPECT_EQ(imported, original);
    EXPECT_EQ(QueryRows(target, L"SELECT CODE,DESCRIPTION FROM LANGUAGE ORDER BY ID"),
              (::Rows{{L"en", L"English"}, {L"es", L"Espa\u00F1ol"}, {L"de", L" "}}));

    // A second import finds every pair there already: nothing is doubled.
    ImportCounts counts = {};
    EXPECT_EQ(ImportWorkbookFile(target, book, nullptr, nullptr, &counts), 0);
    EXPECT_EQ(counts.added, 0);
    EXPECT_EQ(counts.held, 4);
    EXPECT_EQ(Pairs(target).size(), 4u);
    EXPECT_EQ(QueryRows(target, L"SELECT COUNT(*) FROM CATEGORY"), ::Rows{{L"1"}});
    EXPECT_EQ(QueryRows(target, L"SELECT COUNT(*) FROM LANGUAGE"), ::Rows{{L"3"}});
    sqlite3_close(target);
}

TEST_F(WorkbookTest, ReversedExportImportsWithTheSidesExchanged)
{
    int words = GetOrCreateCategory(db, L"Words");
    InsertPhrase(db, words, 1, 2, L"dog", L"perro");
    ASSERT_TRUE(WriteWorkbook(db, words, true, book));
    sqlite3 *target = NewStore(L"target.db");
    ImportWorkbookFile(target, book);
    EXPECT_EQ(Pairs(target), (::Rows{{L"Words", L"perro", L"dog", L"es", L"en"}}));
    sqlite3_close(target);
}

TEST_F(WorkbookTest, CharactersXmlCannotHoldBecomeReplacementCharacters)
{
    int words = GetOrCreateCategory(db, L"W");
    InsertPhrase(db, words, 1, 2, L"bell\x0007 unit\x001F", L"not characters: \xFFFE \xFFFF");
    ASSERT_TRUE(WriteWorkbook(db, 0, false, book));
    sqlite3 *target = NewStore(L"target.db");
    EXPECT_EQ(ImportWorkbookFile(target, book), 1);
    EXPECT_EQ(Pairs(target), (::Rows{{L"W", L"bell\xFFFD unit\xFFFD", L"not characters: \xFFFD \xFFFD", L"en", L"es"}}));
    sqlite3_close(target);

    // Unpaired surrogates cannot even reach the store whole (SQLite reads statements as UTF-8),
    // so the conversion is checked on its own.
    struct Case { const wchar_t *text; const char *xml; const char *plain; };
    const Case cases[] = {
        {L"a\xD800", "a\xEF\xBF\xBD", "a\xEF\xBF\xBD"},
        {L"\xDC00" L"b", "\xEF\xBF\xBD" "b", "\xEF\xBF\xBD" "b"},
        {L"\U0001F600", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {L"\t\n\r\x0001", "\t\n\r\xEF\xBF\xBD", "\t\n\r\x01"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ToUtf8(c.text, true), c.xml);
        EXPECT_EQ(ToUtf8(c.text, false), c.plain);
    }
}

TEST_F(WorkbookTest, FailedWritesLeaveTheTargetAlone)
{
    EXPECT_FALSE(WriteWorkbook(db, 0, false, folder.File(L"missing\\book.xml")));

    // A folder where the file should go: everything is written, but the move into place fails.
    std::wstring occupied = folder.File(L"occupied.xml");
    ASSERT_TRUE(CreateDirectoryW(occupied.c_str(), nullptr));
    WriteFileBytes(occupied + L"\\inside.txt", "precious");
    EXPECT_FALSE(WriteWorkbook(db, 0, false, occupied));
    EXPECT_EQ(ReadFileBytes(occupied + L"\\inside.txt"), "precious");

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.File(L"*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// A target that fits MAX_PATH in a folder too deep for an 8.3 temporary name beside it.
TEST_F(WorkbookTest, ATargetInADeepFolderIsWritten)
{
    // CreateDirectoryW itself stops at 248 characters without the \\?\ prefix.
    std::wstring deep = folder.path + L"\\" + std::wstring(250 - folder.path.size() - 1, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    std::wstring target = deep + L"\\a.xml";
    ASSERT_LT(target.size(), static_cast<size_t>(MAX_PATH));
    auto namesInDeep = [&deep]() { return FindNames(deep + L"\\*"); };
    {
        // While it is written, the file beside the target has a path Windows accepts (Wine
        // accepts longer ones, Windows refuses GetTempFileNameW's names in such a folder).
        OutputFile file(target);
        ASSERT_TRUE(file.IsOpen());
        std::vector<std::wstring> during = namesInDeep();
        ASSERT_EQ(during.size(), 1u);
        EXPECT_LT(deep.size() + 1 + during[0].size(), static_cast<size_t>(MAX_PATH)) << testing::PrintToString(during[0]);
    }
    ASSERT_TRUE(WriteWorkbook(db, 0, false, target));
    EXPECT_NE(ReadFileBytes(target).find("<Workbook"), std::string::npos);
    EXPECT_EQ(namesInDeep(), std::vector<std::wstring>{L"a.xml"}) << "nothing else is left";
}

class ImportTest : public WorkbookTest {
protected:
    int Import(const std::string &bytes)
    {
        WriteFileBytes(book, bytes);
        return ImportWorkbookFile(db, book);
    }
    ::Rows Stored() { return QueryRows(db, L"SELECT CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET FROM PHRASE ORDER BY ID"); }
    // Every row of the store, and the next ids it would give.
    ::Rows Everything()
    {
        ::Rows rows = Stored();
        for (const wchar_t *sql : {L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY ID", L"SELECT ID,CODE,DESCRIPTION FROM LANGUAGE ORDER BY ID",
                                   L"SELECT MAX(ID) FROM PHRASE"})
            for (auto &row : QueryRows(db, sql))
                rows.push_back(row);
        return rows;
    }
};

std::string Row5(const std::string &a, const std::string &b, const std::string &c, const std::string &d,
                 const std::string &e)
{
    return "<Row><Cell><Data>" + a + "</Data></Cell><Cell><Data>" + b + "</Data></Cell><Cell><Data>" + c +
           "</Data></Cell><Cell><Data>" + d + "</Data></Cell><Cell><Data>" + e + "</Data></Cell></Row>";
}

TEST_F(ImportTest, OnlyFiveCellRowsOfWorksheetTablesAreRead)
{
    std::string file =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<ss:Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
        " <Worksheet ss:Name=\"One\">\r\n  <Table ss:ExpandedRowCount=\"9\">\r\n"
        "   <Row ss:Height=\"15\">\r\n    <Cell ss:StyleID=\"s1\"><Data ss:Type=\"String\">Cat</Data></Cell>\r\n"
        "    <Cell><Data ss:Type=\"String\">one</Data></Cell><Cell><Data ss:Type=\"String\">uno</Data></Cell>\r\n"
        "    <Cell><Data ss:Type=\"String\">en</Data></Cell><Cell><Data ss:Type=\"String\">es</Data></Cell>\r\n   </Row>\r\n"
        "   <ss:Row>" + std::string("<Cell><Data>Cat</Data></Cell><Cell><Data>prefixed</Data></Cell><Cell><Data>x</Data></Cell>"
                                   "<Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell>") + "</ss:Row>\r\n"
        "   <Row><Cell><Data>Cat</Data></Cell><Cell><Data>four</Data></Cell><Cell><Data>x</Data></Cell><Cell><Data>en</Data></Cell></Row>\r\n"
        "   " + Row5("Cat", "six", "x", "en", "es").insert(5, "<Cell><Data>extra</Data></Cell>") + "\r\n"
        "   " + Row5("Cat", "a<B>b<C>c</C></B>d", "  spaced  ", "en", "es") + "\r\n"
        "   <Row><Cell><Data>Cat</Data></Cell><Cell/><Cell><Data/></Cell><Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>\r\n"
        "   " + Row5("Cat", "   ", "it&apos;s &lt;&amp;&gt;", "en", "es") + "\r\n"
        "  </Table>\r\n  <Row>" + "<Cell><Data>Cat</Data></Cell><Cell><Data>outside</Data></Cell><Cell><Data>x</Data></Cell>"
        "<Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>\r\n </Worksheet>\r\n"
        " <Worksheet><Table>" + Row5("Zwei", "two", "dos", "en", "xx") + "</Table></Worksheet>\r\n"
        "</ss:Workbook>\r\n";
    // A Row with a prefix of the spreadsheet namespace is read like an unprefixed one.
    EXPECT_EQ(Import(file), 6);
    EXPECT_EQ(Stored(), (::Rows{{L"1", L"1", L"2", L"one", L"uno"},
                                {L"1", L"1", L"2", L"prefixed", L"x"},
                                {L"1", L"1", L"2", L"abcd", L"  spaced  "},
                                {L"1", L"1", L"2", L"", L""},
                                {L"1", L"1", L"2", L"   ", L"it's <&>"},
                                {L"2", L"1", L"3", L"two", L"dos"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT DESCRIPTION FROM CATEGORY ORDER BY ID"), (::Rows{{L"Cat"}, {L"Zwei"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT CODE,DESCRIPTION FROM LANGUAGE WHERE ID=3"), (::Rows{{L"xx", L" "}}));
}

TEST_F(ImportTest, LongCellsAreCutWithoutSplittingACharacter)
{
    std::string letters(300, 'a');
    std::string emoji = std::string(258, 'b') + "\xF0\x9F\x98\x80" + "tail";
    EXPECT_EQ(Import("<Workbook><Worksheet><Table>" + Row5("C", letters, emoji, "en", "es") + "</Table></Worksheet></Workbook>"), 1);
    EXPECT_EQ(Stored(), (::Rows{{L"1", L"1", L"2", std::wstring(259, L'a'), std::wstring(258, L'b')}}));
}

TEST_F(ImportTest, Utf16FilesAreRead)
{
    std::wstring text = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><Workbook><Worksheet><Table><Row>"
                        L"<Cell><Data>\u65C5\u884C</Data></Cell><Cell><Data>train</Data></Cell><Cell><Data>\u706B\u8ECA</Data></Cell>"
                        L"<Cell><Data>en</Data></Cell><Cell><Data>zh</Data></Cell></Row></Table></Worksheet></Workbook>";
    EXPECT_EQ(Import(std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2)), 1);
    EXPECT_EQ(Stored(), (::Rows{{L"1", L"1", L"3", L"train", L"\u706B\u8ECA"}}));
}

// LibreOffice writes every element of its "Microsoft Excel 2003 XML" files with the ss: prefix.
TEST_F(ImportTest, PrefixedElementsOfTheSpreadsheetNamespaceAreRead)
{
    auto cell = [](const char *text) { return std::string("<ss:Cell><ss:Data ss:Type=\"String\">") + text + "</ss:Data></ss:Cell>"; };
    std::string file =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" xmlns:o=\"urn:other\">"
        "<ss:Worksheet ss:Name=\"Sheet1\"><ss:Table>"
        "<ss:Row>" + cell("Saludos") + cell("hello") + cell("hola") + cell("en") + cell("es") + "</ss:Row>"
        "<o:Row>" + cell("Saludos") + cell("other") + cell("namespace") + cell("en") + cell("es") + "</o:Row>"
        // a prefix declared on the row itself; then ss bound elsewhere for one row only
        "<q:Row xmlns:q=\"urn:schemas-microsoft-com:office:spreadsheet\">" + cell("Saludos") + cell("own") + cell("prefix") +
        cell("en") + cell("es") + "</q:Row>"
        "<ss:Row xmlns:ss=\"urn:other\">" + cell("Saludos") + cell("shadowed") + cell("x") + cell("en") + cell("es") + "</ss:Row>"
        "<ss:Row>" + cell("Saludos") + cell("bound") + cell("again") + cell("en") + cell("es") + "</ss:Row>"
        "</ss:Table></ss:Worksheet></ss:Workbook>\n";
    EXPECT_EQ(Import(file), 3);
    EXPECT_EQ(Stored(), (::Rows{{L"1", L"1", L"2", L"hello", L"hola"}, {L"1", L"1", L"2", L"own", L"prefix"},
                                {L"1", L"1", L"2", L"bound", L"again"}}));
}

// Single-byte encodings a file may declare, through the system's code pages.
TEST_F(ImportTest, DeclaredSingleByteEncodingsAreRead)
{
    const std::pair<const char *, std::string> files[] = {
        {"windows-1252", "\x80 caf\xE9"},                 // euro sign, e acute
        {"ISO-8859-1", "caf\xE9"},
        {"windows-1251", "\xE4\xE0"},                     // Cyrillic de, a
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.first);
        std::string text = std::string("<?xml version=\"1.0\" encoding=\"") + file.first + "\"?>"
                           "<Workbook><Worksheet><Table>" + Row5("C", "word", file.second, "en", "es") +
                           "</Table></Worksheet></Workbook>";
        EXPECT_EQ(Import(text), 1);
    }
    EXPECT_EQ(QueryRows(db, L"SELECT TARGET FROM PHRASE ORDER BY ID"),
              (::Rows{{L"\u20AC caf\u00E9"}, {L"caf\u00E9"}, {L"\u0434\u0430"}}));
    EXPECT_EQ(Import("<?xml version=\"1.0\" encoding=\"x-no-such\"?><Workbook/>"), -1);
}

// A file broken near its end, an entity expansion bomb and a file nested a million levels deep
// are refused whole, quickly, and store nothing.
TEST_F(ImportTest, HostileFilesAreRefusedWhole)
{
    // More rows than the parse lets wait for the store, then an error at the very end.
    std::string rows;
    for (int i = 0; i < 10000; i++)
        rows += Row5("C", "w" + std::to_string(i), "x", "en", "es");
    std::string lateError = "<Workbook><Worksheet><Table>" + rows + "</Table></Worksheet><oops></Workbook>";
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE Workbook [<!ENTITY a \"aaaaaaaaaa\">"
                       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                       "<Workbook><Worksheet><Table>" + Row5("C", "&c;", "x", "en", "es") + "</Table></Worksheet></Workbook>";
    std::string deep;
    for (int i = 0; i < 1000000; i++)
        deep += "<a>";
    Import(Row5("Before", "kept", "x", "en", "es").insert(0, "<Workbook><Worksheet><Table>") + "</Table></Worksheet></Workbook>");
    ::Rows before = Everything();
    for (const std::string *file : {&lateError, &bomb, &deep})
        EXPECT_EQ(Import(*file), -1);
    EXPECT_EQ(Everything(), before);

    // The same rows, well-formed, all arrive.
    EXPECT_EQ(Import("<Workbook><Worksheet><Table>" + rows + "</Table></Worksheet></Workbook>"), 10000);
    ::Rows stored = Stored();
    ASSERT_EQ(stored.size(), 10001u);
    EXPECT_EQ(stored[1][3], L"w0");
    EXPECT_EQ(stored[10000][3], L"w9999");
}

// The import finds categories and languages in memory rather than by a query each: it must pick
// the same rows as get-or-create does, with keys that several rows share, NULL and blob keys,
// empty texts, and keys that only differ in case.
TEST_F(ImportTest, CategoriesAndLanguagesAreFoundAsGetOrCreateFindsThem)
{
    sqlite3 *oracle = NewStore(L"oracle.db");
    for (sqlite3 *store : {db, oracle})
        for (const wchar_t *sql : {L"INSERT INTO CATEGORY (ID,DESCRIPTION) VALUES (5,'Dup'),(3,'Dup'),(7,NULL),(8,X'41'),(9,''),(10,'dup')",
                                   L"INSERT INTO LANGUAGE (ID,CODE,DESCRIPTION) VALUES (9,'fr','French'),(4,'fr','Fr'),(6,NULL,'none'),(11,'','blank')"})
            ASSERT_EQ(RunStatement(store, sql), SQLITE_DONE);
    struct Pair {
        const wchar_t *category, *source, *target, *sourceCode, *targetCode;
    };
    const Pair pairs[] = {
        {L"Dup", L"a", L"b", L"fr", L"en"},   {L"dup", L"c", L"d", L"", L"es"},  {L"", L"e", L"f", L"FR", L"fr"},
        {L"A", L"g", L"h", L"de", L"de"},     {L"New", L"i", L"j", L"es", L"de"}, {L"New", L"k", L"l", L"it's", L"en"},
        {L"Dup", L"m", L"n", L"de", L"FR"},
    };
    std::string file = "<Workbook><Worksheet><Table>";
    for (const Pair &pair : pairs) {
        auto utf8 = [](const wchar_t *text) { return ToUtf8(text, true); };
        file += Row5(utf8(pair.category), utf8(pair.source), utf8(pair.target), utf8(pair.sourceCode),
                     utf8(pair.targetCode));
        InsertPhrase(oracle, GetOrCreateCategory(oracle, pair.category), GetOrCreateLanguage(oracle, pair.sourceCode, L" "),
                     GetOrCreateLanguage(oracle, pair.targetCode, L" "), pair.source, pair.target);
    }
    EXPECT_EQ(Import(file + "</Table></Worksheet></Workbook>"), 7);
    for (const wchar_t *sql : {L"SELECT * FROM PHRASE ORDER BY ID", L"SELECT * FROM CATEGORY ORDER BY ID",
                               L"SELECT * FROM LANGUAGE ORDER BY ID"})
        EXPECT_EQ(QueryRows(db, sql), QueryRows(oracle, sql)) << testing::PrintToString(QueryRows(db, sql));
    sqlite3_close(oracle);
}

TEST_F(ImportTest, BrokenFilesChangeNothing)
{
    std::string good = "<Workbook><Worksheet><Table>" + Row5("C", "a", "b", "en", "es") + "</Table></Worksheet></Workbook>";
    ::Rows before = Everything();
    for (const std::string &broken : {good.substr(0, good.size() - 12), good + "<extra/>",
                                      std::string("<Workbook><Worksheet><Table>") + Row5("C", "a&b", "c", "en", "es"),
                                      std::string("not xml at all"), std::string(),
                                      // prefixes that no element declares
                                      "<x:Workbook><Worksheet><Table>" + Row5("C", "a", "b", "en", "es") + "</Table></Worksheet></x:Workbook>",
                                      "<Workbook><Worksheet q:name=\"1\"><Table>" + Row5("C", "a", "b", "en", "es") + "</Table></Worksheet></Workbook>",
                                      std::string("<Workbook><Worksheet><Table xmlns:x=\"u\"/><x:Table/></Worksheet></Workbook>"),
                                      std::string("<x:Workbook/>"), std::string("<Workbook q:a=\"1\"/>")}) {
        EXPECT_EQ(Import(broken), -1) << broken;
    }
    EXPECT_EQ(ImportWorkbookFile(db, folder.File(L"missing.xml")), -1);
    EXPECT_EQ(Everything(), before);
    // A store in a transaction of someone else's: the import could not be undone, so it stores nothing.
    RunStatement(db, L"Begin");
    EXPECT_EQ(Import(good), kImportNotStored);
    RunStatement(db, L"Commit");
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(Import("<Workbook/>"), 0);
    EXPECT_EQ(Import(good), 1);
}

}  // namespace

namespace {

// What counts as the same pair: the category, both language codes and both texts, exactly. A row
// repeated within the file is stored once; rows without five cells are counted as of no use.
TEST_F(WorkbookTest, PairsTheStoreHoldsAreNotStoredAgain)
{
    int food = GetOrCreateCategory(db, L"Food");
    InsertPhrase(db, food, 1, 2, L"bread", L"pan");
    auto row = [](const char *category, const char *source, const char *target, const char *from, const char *to) {
        return std::string("<Row><Cell><Data>") + category + "</Data></Cell><Cell><Data>" + source +
               "</Data></Cell><Cell><Data>" + target + "</Data></Cell><Cell><Data>" + from +
               "</Data></Cell><Cell><Data>" + to + "</Data></Cell></Row>";
    };
    WriteFileBytes(book, "<Workbook><Worksheet><Table>" + row("Food", "bread", "pan", "en", "es") +   // held
                             row("Food", "Bread", "pan", "en", "es") +                                 // case differs
                             row("Food", "bread", "pan ", "en", "es") +                                // a blank more
                             row("Food", "bread", "pan", "es", "en") +                                 // other languages
                             row("Drinks", "bread", "pan", "en", "es") +                               // other category
                             row("Food", "milk", "leche", "en", "es") +
                             row("Food", "milk", "leche", "en", "es") +                                // repeated in the file
                             "<Row><Cell><Data>Food</Data></Cell><Cell><Data>only two</Data></Cell></Row>"
                             "<Row></Row></Table></Worksheet></Workbook>");
    ImportCounts counts = {};
    EXPECT_EQ(ImportWorkbookFile(db, book, nullptr, nullptr, &counts), 5);
    EXPECT_EQ(counts.added, 5);
    EXPECT_EQ(counts.held, 2);
    EXPECT_EQ(counts.unusable, 1) << "an empty row is no row";
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE WHERE SOURCE='bread' AND TARGET='pan' AND CATEGORYID=1 "
                            L"AND SLANGUAGEID=1"),
              (::Rows{{L"1"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE"), (::Rows{{L"6"}}));
}

}  // namespace
