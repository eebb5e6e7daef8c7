// Going back to a category the phrase list has left shows its kept rows without reading them again,
// and only while they are still right: whatever has been written since, by this connection or
// another, in a transaction rolled back or before the store was opened again, the rows come from
// the store.
#include "tests/app/window_fixture.h"

#include <commctrl.h>

#include <functional>

#include "app/kept_rows.h"
#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"

namespace {

typedef std::vector<std::wstring> Texts;

class KeptRowsTest : public MainWindowTest {
protected:
    int food = 0, travel = 0;
    int reads = 0;              // times the list's statement was run
    bool interruptRead = false; // cut the next one short

    void SetUp() override
    {
        MainWindowTest::SetUp();
        sqlite3 *db = CreateStore();
        food = GetOrCreateCategory(db, L"Food");
        travel = GetOrCreateCategory(db, L"Travel");
        InsertPhrase(db, food, 1, 2, L"water", L"agua");
        InsertPhrase(db, food, 1, 2, L"bread", L"pan");
        InsertPhrase(db, travel, 1, 2, L"train", L"tren");
        sqlite3_close(db);
        OpenWindow();
        CountReads();
    }
    void CountReads()
    {
        sqlite3_trace_v2(shell.db, SQLITE_TRACE_STMT, CountRead, this);
    }
    static int CountRead(unsigned, void *context, void *statement, void *)
    {
        KeptRowsTest *test = static_cast<KeptRowsTest *>(context);
        const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(statement));
        if (strncmp(sql, "SELECT ID,SOURCE,TARGET FROM PHRASE", 35) != 0)
            return 0;
        test->reads++;
        // Taken up at the read's next step, as a store gone busy or unreadable would stop it.
        if (test->interruptRead)
            sqlite3_interrupt(test->shell.db);
        test->interruptRead = false;
        return 0;
    }
    void Choose(int category)
    {
        HWND combo = Item(IDC_CATEGORY);
        for (LRESULT i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); i++)
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == category)
                SendMessageW(combo, CB_SETCURSEL, i, 0);
        Command(IDC_CATEGORY, CBN_SELCHANGE);
    }
    Texts Shown() const
    {
        return ListTexts(Item(IDC_PHRASE_LIST));
    }
    void Write(sqlite3 *db, const char *sql)
    {
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    // Writes through a connection of its own, as another program would.
    void WriteElsewhere(const char *sql)
    {
        sqlite3 *other = nullptr;
        ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &other), SQLITE_OK);
        Write(other, sql);
        sqlite3_close(other);
    }
};

TEST_F(KeptRowsTest, ComingBackShowsTheKeptRowsUntilTheStoreChanges)
{
    const Texts before = {L"bread|pan", L"water|agua"};
    const Texts renamed = {L"bread|pan", L"water|eau"};
    const char *rename = "UPDATE PHRASE SET TARGET='eau' WHERE SOURCE='water'";
    struct Case {
        const char *what;
        std::function<void()> whileShown, whileAway;
        Texts expected;
        bool read;
    } cases[] = {
        {"nothing changed", nullptr, nullptr, before, false},
        {"another connection wrote", nullptr, [&] { WriteElsewhere(rename); }, renamed, true},
        {"this connection wrote", nullptr, [&] { Write(shell.db, rename); }, renamed, true},
        {"a write elsewhere in the store", nullptr,
         [this] { Write(shell.db, "UPDATE CATEGORY SET DESCRIPTION='Trips' WHERE DESCRIPTION='Travel'"); }, before,
         true},
        {"the list's row changed, not the store",
         [this] { SetRowTexts(Item(IDC_PHRASE_LIST), 1, L"water", L"changed"); }, nullptr, before, true},
        {"a read cut short",
         [&] {
             Write(shell.db, "UPDATE CATEGORY SET DESCRIPTION='Trips' WHERE DESCRIPTION='Travel'");
             Choose(travel);
             interruptRead = true;
             // Said, and the list stays on the category it showed.
             MessageBoxAnswerer ok(IDOK);
             Choose(food);
             ASSERT_EQ(ok.seen().size(), 1u);
             ASSERT_EQ(Shown(), (Texts{L"train|tren"}));
             ASSERT_EQ(GetComboSelectionData(window, IDC_CATEGORY), travel);
         },
         nullptr, before, true},
        {"read in a transaction rolled back",
         [&] {
             Write(shell.db, "BEGIN");
             Write(shell.db, rename);
             Choose(travel);
             Choose(food);
             ASSERT_EQ(Shown(), renamed);
             Write(shell.db, "ROLLBACK");
         },
         nullptr, before, true},
        {"the store opened again after another program wrote", nullptr,
         [&] {
             // Closed first, so that the new connection may well take the old one's place in memory.
             sqlite3_close(shell.db);
             WriteElsewhere(rename);
             shell.db = OpenPhraseStore(dbPath.c_str(), false);
             CountReads();
         },
         renamed, true},
        {"another thread locale",
         nullptr, [] { SetThreadLocale(MAKELCID(MAKELANGID(LANG_SWEDISH, SUBLANG_DEFAULT), SORT_DEFAULT)); },
         before, true},
    };
    LCID locale = GetThreadLocale();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        window = nullptr;
        shell = {};
        ASSERT_TRUE(DeleteFileW(dbPath.c_str()));
        SetUp();
        Choose(food);
        ASSERT_EQ(Shown(), before);
        if (c.whileShown)
            c.whileShown();
        Choose(travel);
        EXPECT_EQ(Shown(), (Texts{L"train|tren"}));
        if (c.whileAway)
            c.whileAway();
        reads = 0;
        Choose(food);
        EXPECT_EQ(Shown(), c.expected);
        EXPECT_EQ(reads, c.read ? 1 : 0);
        SetThreadLocale(locale);
    }
}

TEST_F(KeptRowsTest, KeptRowsWorkAsReadOnes)
{
    // Rows brought back are the list's rows in every way: selection, changing and deleting them.
    Choose(food);
    Choose(travel);
    Choose(food);
    ASSERT_EQ(Shown(), (Texts{L"bread|pan", L"water|agua"}));
    SelectRows({1});
    EXPECT_EQ(ListRows()[1], (ListRow{L"water", L"agua", 1, true}));
    HWND list = Item(IDC_PHRASE_LIST);
    AppendRow(list, 9, L"apple", L"manzana");
    SendMessageW(list, LVM_DELETEITEM, 1, 0);
    EXPECT_EQ(Shown(), (Texts{L"apple|manzana", L"water|agua"}));
    // Those changes were the list's alone: going away and back reads the store.
    Choose(travel);
    reads = 0;
    Choose(food);
    EXPECT_EQ(Shown(), (Texts{L"bread|pan", L"water|agua"}));
    EXPECT_EQ(reads, 1);
}

int CountBusy(void *calls, int)
{
    ++*static_cast<int *>(calls);
    return 0;   // give up at once, as the busy timeout does when it runs out
}

// The category chosen cannot be read: that is said, and the list and the selector stay on the
// category shown, rather than showing it as empty.
TEST_F(KeptRowsTest, AStoreLockedAllThroughTheTimeoutIsWaitedForOnceAndSaid)
{
    Choose(food);
    int waits = 0;
    sqlite3_busy_handler(shell.db, CountBusy, &waits);
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        MessageBoxAnswerer ok(IDOK);
        Choose(travel);
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_EQ(ok.seen()[0].text, LoadedString(IDS_LIST_NOT_READ) + L"\n" + LoadedString(IDS_STORE_BUSY));
    }
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(Shown(), (Texts{L"bread|pan", L"water|agua"}));
    EXPECT_EQ(GetComboSelectionData(window, IDC_CATEGORY), food);
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    Choose(food);
    Choose(travel);
    EXPECT_EQ(Shown(), (Texts{L"train|tren"}));
}

TEST(RowKeeperTest, KeepsTheLatestSetsWithinItsMemory)
{
    auto set = [](const char *sql, size_t rows) {
        KeptRows kept;
        kept.origin.sql = sql;
        kept.texts.assign(1, L'\0');
        kept.rows.resize(rows);
        return kept;
    };
    auto sqls = [](const RowKeeper &keeper) {
        std::vector<std::string> names;
        for (const KeptRows &kept : keeper.kept)
            names.push_back(kept.origin.sql);
        return names;
    };
    RowKeeper keeper;
    for (const char *sql : {"1", "2", "3", "4", "5", "6", "7", "8", "9"})
        KeepRows(&keeper, set(sql, 10));
    EXPECT_EQ(sqls(keeper), (std::vector<std::string>{"9", "8", "7", "6", "5", "4", "3", "2"}));
    // A set larger than all may take is not kept, and costs the others nothing.
    KeepRows(&keeper, set("huge", (33u << 20) / sizeof(PhraseRow)));
    EXPECT_EQ(sqls(keeper).size(), 8u);
    EXPECT_EQ(sqls(keeper)[0], "9");
    // One that no longer fits beside those kept later goes; the small ones still fit.
    KeepRows(&keeper, set("large 1", (12u << 20) / sizeof(PhraseRow)));
    KeepRows(&keeper, set("large 2", (12u << 20) / sizeof(PhraseRow)));
    KeepRows(&keeper, set("large 3", (12u << 20) / sizeof(PhraseRow)));
    EXPECT_EQ(sqls(keeper), (std::vector<std::string>{"large 3", "large 2", "9", "8", "7", "6", "5", "4"}));
    EXPECT_LE(KeptRowsBytes(keeper), 32u << 20);
}

}  // namespace
