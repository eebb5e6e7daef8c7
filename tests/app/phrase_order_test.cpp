// The phrase list orders its rows exactly as the sorted list view it stands for: one given the
// rows of ORDER BY SOURCE one at a time, each going to its sorted place before the rows alike.
// Texts that sort alike but are stored differently, absent texts and characters whose stored
// bytes order them differently in UTF-8 and in UTF-16 are where the two could part.
#include "tests/app/window_fixture.h"

#include <commctrl.h>

#include <algorithm>

#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"

namespace {

const wchar_t *const kSources[] = {
    L"apple", L"Apple", L"APPLE", L"apple", L"a\u200Bpple", L"co-op", L"coop", L"co\u00ADop", L"co'op",
    L"\U0001F600", L"\uFF01", L"\uE000", L"\u00E9", L"e\u0301", L"\u00C9", L"", nullptr, L"", nullptr,
    L"Stra\u00DFe", L"Strasse", L"a b", L"a-b", L"ab", L"10", L"9", L"\u0100", L"\u4E00", L"\u3042",
    L"\u30A2", L"\uFF71", L"apple", L"Apple", L"A\u0304", L"\u00E0", L"a\u0300", L"\u1EA0", L"A\u0323",
};

class PhraseOrderTest : public MainWindowTest {
protected:
    // A store in the given text encoding, its one category holding kSources in turn, rounds times.
    void CreateStoreIn(const char *encoding, int rounds = 1)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &db), SQLITE_OK);
        std::string schema = std::string("PRAGMA encoding='") + encoding + "';"
            "CREATE TABLE CATEGORY(ID INTEGER PRIMARY KEY ASC, DESCRIPTION TEXT);"
            "CREATE TABLE LANGUAGE(ID INTEGER PRIMARY KEY ASC, CODE TEXT, DESCRIPTION TEXT);"
            "CREATE TABLE PHRASE(ID INTEGER PRIMARY KEY ASC, CATEGORYID INTEGER, SLANGUAGEID INTEGER, "
            "TLANGUAGEID INTEGER, SOURCE TEXT, TARGET TEXT);"
            "INSERT INTO LANGUAGE VALUES(1,'en','English');INSERT INTO LANGUAGE VALUES(2,'es','Spanish');"
            "INSERT INTO CATEGORY VALUES(1,'Words')";
        ASSERT_EQ(sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_stmt *insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO PHRASE(CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) "
                                         "VALUES(1,1,2,?,?)", -1, &insert, nullptr), SQLITE_OK);
        int n = 0;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int round = 0; round < rounds; round++)
        for (const wchar_t *source : kSources) {
            std::wstring target = L"t" + std::to_wstring(n++);
            if (source)
                sqlite3_bind_text16(insert, 1, source, -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(insert, 1);
            sqlite3_bind_text16(insert, 2, target.c_str(), -1, SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }
    // The rows as a sorted list view shows them when given ORDER BY SOURCE's rows one at a time.
    std::vector<ListRow> SortedListRows()
    {
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 300,
                                    300, nullptr, nullptr, nullptr, nullptr);
        PrepareListColumns(list, 2);
        sqlite3_stmt *rows = nullptr;
        sqlite3_prepare_v2(shell.db, "SELECT ID,SOURCE,TARGET FROM PHRASE WHERE CATEGORYID=1 ORDER BY SOURCE", -1,
                           &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            const void *source = sqlite3_column_text16(rows, 1);
            AppendRow(list, sqlite3_column_int(rows, 0), source ? static_cast<const wchar_t *>(source) : L"",
                      static_cast<const wchar_t *>(sqlite3_column_text16(rows, 2)));
        }
        sqlite3_finalize(rows);
        std::vector<ListRow> shown;
        for (int i = 0; i < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); i++) {
            wchar_t source[300], target[300];
            GetRowText(list, i, 0, source, 300);
            GetRowText(list, i, 1, target, 300);
            shown.push_back({source, target, RowId(list, i), false});
        }
        DestroyWindow(list);
        return shown;
    }
};

TEST_F(PhraseOrderTest, AsTheSortedListGivenTheRowsInSourceOrder)
{
    for (const char *encoding : {"UTF-16le", "UTF-8", "UTF-16be"}) {
        SCOPED_TRACE(encoding);
        CreateStoreIn(encoding);
        OpenWindow();
        std::vector<ListRow> expected = SortedListRows();
        ASSERT_EQ(expected.size(), sizeof kSources / sizeof kSources[0]);
        EXPECT_EQ(ListRows(), expected);
        DestroyWindow(window);
        window = nullptr;
        sqlite3_close(shell.db);
        shell.db = nullptr;
        ASSERT_TRUE(DeleteFileW(dbPath.c_str()));
    }
}

// Many rows: their keys are made and sorted in batches on another thread and merged, and rows alike
// fall into different batches. Too many to give a sorted list one by one in a test's time, they
// are placed as it would place them: the rows of ORDER BY SOURCE taken last to first, each after
// those alike already placed (the placing of one by one that the list order test checks).
TEST_F(PhraseOrderTest, ManyRowsAlikeInDifferentBatches)
{
    const int rounds = 450;
    CreateStoreIn("UTF-16le", rounds);
    OpenWindow();
    std::vector<std::pair<std::string, ListRow>> keyed;
    sqlite3_stmt *rows = nullptr;
    sqlite3_prepare_v2(shell.db, "SELECT ID,SOURCE,TARGET FROM PHRASE WHERE CATEGORYID=1 ORDER BY SOURCE", -1,
                       &rows, nullptr);
    while (sqlite3_step(rows) == SQLITE_ROW) {
        const void *text = sqlite3_column_text16(rows, 1);
        std::wstring source = text ? static_cast<const wchar_t *>(text) : L"";
        keyed.push_back({SortedListKey(source.c_str(), static_cast<int>(source.size())),
                         {source, static_cast<const wchar_t *>(sqlite3_column_text16(rows, 2)),
                          sqlite3_column_int(rows, 0), false}});
    }
    sqlite3_finalize(rows);
    std::reverse(keyed.begin(), keyed.end());
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<ListRow> expected;
    for (const auto &row : keyed)
        expected.push_back(row.second);
    ASSERT_EQ(expected.size(), rounds * (sizeof kSources / sizeof kSources[0]));
    std::vector<ListRow> shown = ListRows();
    ASSERT_EQ(shown.size(), expected.size());
    size_t first = 0;
    while (first < shown.size() && shown[first] == expected[first])
        first++;
    EXPECT_EQ(first, shown.size()) << "rows part at " << first;
}

}  // namespace
