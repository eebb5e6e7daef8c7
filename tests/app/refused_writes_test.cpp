// Every change the user makes through the main window either lands in the store or is said, when
// another program holds the store, the file is read-only or the disk is full: afterwards the list
// shows what the store holds, the connection is in no transaction, other programs can still read
// the store, and a message told the user.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "app/phrase_list.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"
#include "tests/support/fault_vfs.h"

namespace {

UINT g_menuAnswer = 0;

UINT Answer(HMENU, int, int, HWND)
{
    return g_menuAnswer;
}

class RefusedWritesTest : public MainWindowTest {
protected:
    int animals = 0, food = 0, travel = 0;
    sqlite3 *holder = nullptr;     // another program's connection
    sqlite3_stmt *reading = nullptr;   // its read in progress

    void SetUp() override
    {
        InstallFaultVfs();
        MainWindowTest::SetUp();
        sqlite3 *db = CreateStore();
        travel = GetOrCreateCategory(db, L"Travel");
        food = GetOrCreateCategory(db, L"Food");
        animals = GetOrCreateCategory(db, L"Animals");
        for (const wchar_t *source : {L"water", L"bread", L"milk", L"apple"})
            InsertPhrase(db, food, 1, 2, source, L"x");
        InsertPhrase(db, travel, 2, 1, L"tren", L"train");
        sqlite3_close(db);
        SetPopupMenuTracker(Answer);
    }
    void TearDown() override
    {
        SetInstantLockWaits(false);
        SetDiskSpace(-1, false);
        SetReadOnlyStores(false);
        sqlite3_finalize(reading);
        reading = nullptr;
        if (holder) {
            sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(holder);
            holder = nullptr;
        }
        SetPopupMenuTracker(nullptr);
        MainWindowTest::TearDown();
    }
    void Hold(const char *sql)
    {
        ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &holder), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    // Another program in the middle of reading: it holds the file's shared lock.
    void HoldReading()
    {
        Hold("BEGIN");
        ASSERT_EQ(sqlite3_prepare_v2(holder, "SELECT * FROM PHRASE", -1, &reading, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);
    }
    void StopReading()
    {
        sqlite3_finalize(reading);
        reading = nullptr;
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        holder = nullptr;
    }
    void OpenOnFood()
    {
        OpenWindow();
        SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
        Command(IDC_CATEGORY, CBN_SELCHANGE);
    }
    Rows Store()
    {
        return QueryRows(shell.db, L"SELECT ID,CATEGORYID,SOURCE,TARGET FROM PHRASE ORDER BY ID");
    }
    // The shown category's pairs as the store has them, in the list's order.
    std::vector<ListRow> StoredRows()
    {
        std::vector<ListRow> rows;
        wchar_t sql[128];
        _snwprintf(sql, 128, L"SELECT SOURCE,TARGET,ID FROM PHRASE WHERE CATEGORYID=%d", food);
        for (const std::vector<std::wstring> &row : QueryRows(shell.db, sql))
            rows.push_back({row[0], row[1], _wtoi(row[2].c_str()), false});
        std::sort(rows.begin(), rows.end(), [](const ListRow &a, const ListRow &b) {
            return lstrcmpW(a.source.c_str(), b.source.c_str()) < 0;
        });
        return rows;
    }
    std::vector<ListRow> ShownRows()
    {
        std::vector<ListRow> rows = ListRows();
        for (ListRow &row : rows)
            row.selected = false;
        return rows;
    }
    void Type(const wchar_t *phrase, const wchar_t *translation)
    {
        SetDlgItemTextW(window, IDC_PHRASE, phrase);
        SetDlgItemTextW(window, IDC_TRANSLATION, translation);
    }
    // Whether a connection of another program can read the store now, without waiting.
    bool OthersCanRead()
    {
        sqlite3 *reader = nullptr;
        if (sqlite3_open16(dbPath.c_str(), &reader) != SQLITE_OK)
            return false;
        bool read = sqlite3_exec(reader, "SELECT COUNT(*) FROM PHRASE", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(reader);
        return read;
    }
};

TEST_F(RefusedWritesTest, EveryChangeLandsOrIsSaid)
{
    struct Condition {
        const char *what;
        std::function<void()> before;    // before the window opens
        std::function<void()> after;     // once it shows the sample
        UINT cause;
    } conditions[] = {
        {"a reader holding a read transaction at COMMIT", nullptr,
         [this] { HoldReading(); },
         IDS_STORE_BUSY},
        {"a writer holding the write lock", nullptr, [this] { Hold("BEGIN IMMEDIATE"); },
         IDS_STORE_BUSY},
        {"a read-only file",
         [] { SetReadOnlyStores(true); }, nullptr,
         IDS_STORE_READ_ONLY},
        {"a full disk", nullptr, [] { SetDiskSpace(0, true); }, IDS_STORE_FULL},
    };
    std::wstring workbook = folder.File(L"more.xml");
    WriteFileBytes(workbook, "<Workbook><Worksheet><Table><Row><Cell><Data>Food</Data></Cell><Cell><Data>salt</Data>"
                             "</Cell><Cell><Data>sal</Data></Cell><Cell><Data>en</Data></Cell><Cell><Data>es</Data>"
                             "</Cell></Row></Table></Worksheet></Workbook>");
    struct Action {
        const char *what;
        std::function<void()> run;
    } actions[] = {
        {"add", [this] { Type(L"zebra", L"cebra"); Command(IDC_ADD); }},
        {"update",
         [this] {
             SelectRows({0});
             Type(L"yogurt", L"yogur");
             Command(IDC_UPDATE);
         }},
        {"delete one", [this] { SelectRows({1}); PressListKey(VK_DELETE); }},
        {"delete many", [this] { SelectRows({0, 1, 3}); PressListKey(VK_DELETE); }},
        {"move",
         [this] {
             SelectRows({0, 3});
             g_menuAnswer = 100 + animals;
             RightClickList();
         }},
        {"copy",
         [this] {
             SelectRows({1, 2});
             g_menuAnswer = 500 + travel;
             RightClickList();
         }},
        {"swap", [this] { Command(IDM_SWAP_CATEGORY); }},
        {"a category added",
         [this] {
             DialogDriver driver([](HWND dialog) {
                 if (!GetDlgItem(dialog, IDC_SETTINGS_LIST))
                     return;
                 SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Plants");
                 PostMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
                 PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
             });
             Command(IDM_CATEGORY_SETTINGS);
         }},
        {"a category deleted",
         [this] {
             DialogDriver driver(DeleteFirstSettingsRecord);
             Command(IDM_CATEGORY_SETTINGS);
         }},
        {"import",
         [this, &workbook] {
             DialogDriver driver([&workbook](HWND dialog) {
                 if (!SetDlgItemTextW(dialog, 0x480, workbook.c_str()))
                     SetDlgItemTextW(dialog, 0x47C, workbook.c_str());
                 PostMessageW(dialog, WM_COMMAND, IDOK, 0);
             });
             Command(IDM_IMPORT_WORKBOOK);
         }},
    };
    for (const Condition &condition : conditions) {
        for (const Action &action : actions) {
            SCOPED_TRACE(std::string(condition.what) + ", " + action.what);
            TearDown();
            window = nullptr;
            shell = {};
            ASSERT_TRUE(DeleteFileW(dbPath.c_str()));
            SetUp();
            if (condition.before)
                condition.before();
            OpenOnFood();
            ASSERT_EQ(ComboTexts(IDC_CATEGORY)[1], L"Food");
            Rows stored = Store();
            Rows categories = QueryRows(shell.db, L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY ID");
            std::vector<ListRow> shown = ShownRows();
            ASSERT_EQ(shown.size(), 4u);
            if (condition.after)
                condition.after();
            SetInstantLockWaits(true);

            MessageBoxAnswerer yes(IDYES);
            action.run();

            EXPECT_NE(sqlite3_get_autocommit(shell.db), 0);
            EXPECT_TRUE(OthersCanRead());
            // What was told, the questions asked before a delete left out.
            std::wstring named = LoadedString(IDS_DELETE_ONE);
            named = named.substr(0, named.find(L"%s"));
            std::vector<std::wstring> told;
            for (const MessageBoxAnswerer::Seen &seen : yes.seen()) {
                if (seen.text != LoadedString(IDS_CONFIRM_DELETE) && seen.text.rfind(named, 0) != 0)
                    told.push_back(seen.text);
            }
            ASSERT_EQ(told.size(), 1u);
            EXPECT_NE(told[0].find(LoadedString(condition.cause)), std::wstring::npos);
            EXPECT_EQ(Store(), stored);
            EXPECT_EQ(QueryRows(shell.db, L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY ID"), categories);
            EXPECT_EQ(ComboTexts(IDC_CATEGORY), (std::vector<std::wstring>{L"Animals", L"Food", L"Travel"}));
            EXPECT_EQ(ShownRows(), shown);
            EXPECT_EQ(ShownRows(), StoredRows());
        }
    }
}

// Another program holds a read transaction while a row is deleted: the delete is undone and said,
// the store is left for others to read, and once the reader has gone a pair added lands.
TEST_F(RefusedWritesTest, ADeleteRefusedAtCommitLeavesTheStoreFreeForLaterChanges)
{
    OpenOnFood();
    HoldReading();
    SetInstantLockWaits(true);
    {
        MessageBoxAnswerer yes(IDYES);
        SelectRows({0});
        PressListKey(VK_DELETE);
        EXPECT_EQ(yes.seen().size(), 2u) << "asked, then told";
    }
    EXPECT_TRUE(OthersCanRead());
    StopReading();
    Type(L"zebra", L"cebra");
    Command(IDC_ADD);
    EXPECT_EQ(ShownRows(), StoredRows());
    ASSERT_EQ(ShownRows().size(), 5u);

    // The same delete, now that nobody holds the store, lands.
    {
        MessageBoxAnswerer yes(IDYES);
        SelectRows({0});
        PressListKey(VK_DELETE);
        EXPECT_EQ(yes.seen().size(), 1u);
    }
    EXPECT_EQ(ShownRows().size(), 4u);
    EXPECT_EQ(ShownRows(), StoredRows());
    sqlite3_close(shell.db);
    shell.db = nullptr;
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE WHERE SOURCE='zebra'"), (Rows{{L"1"}}));
    sqlite3_close(db);
}

}  // namespace
