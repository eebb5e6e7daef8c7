// The real Lingotrove.exe on a store another program uses at the same time, driven from outside:
// a delete that another program's open read or its write lock keeps from landing is undone and
// said, leaves the store readable by others and the list as the store is, and later changes land;
// a category that cannot be read is said, not shown as empty.
#include "tests/support/http_server.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/program_process.h"

namespace {

const std::wstring kCaption = L"Words - Lingotrove";

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// The program's message boxes carry the main window's title.
bool IsMessageBox(HWND window)
{
    return TextOf(window) == kCaption;
}

// The text of a message box: control 0xFFFF on Windows, 100 under Wine.
std::wstring MessageOf(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return TextOf(text ? text : GetDlgItem(box, 100));
}

// Waits up to 30 s for a message box of the program to go.
bool WaitUntilGone(HWND window)
{
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 30000;)
        Sleep(50);
    return !IsWindow(window);
}

int Count(const std::wstring &store, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    int count = -1;
    if (sqlite3_open16(store.c_str(), &db) == SQLITE_OK && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

class SharedStoreProgramTest : public ProgramTest {
protected:
    ProgramProcess process;
    int food = 0, travel = 0;
    sqlite3 *other = nullptr;           // the other program's connection
    sqlite3_stmt *reading = nullptr;    // its read in progress

    void StartOnFood()
    {
        sqlite3 *db = OpenPhraseStore(store.c_str(), true);
        food = GetOrCreateCategory(db, L"Food");
        travel = GetOrCreateCategory(db, L"Travel");
        for (const wchar_t *source : {L"apple", L"bread", L"milk", L"water"})
            InsertPhrase(db, food, 1, 2, source, L"x");
        InsertPhrase(db, travel, 1, 2, L"train", L"tren");
        sqlite3_close(db);
        ASSERT_TRUE(StartProgramSettings(store, server.Base()));
        ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(food)));
        ASSERT_TRUE(process.Start(program, folder.path));
        ASSERT_EQ(sqlite3_open16(store.c_str(), &other), SQLITE_OK);
    }
    void TearDown() override
    {
        sqlite3_finalize(reading);
        sqlite3_close(other);
        if (process.window) {
            PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
            process.WaitForExit(30000);
        }
        ProgramTest::TearDown();
    }
    HWND List() const { return GetDlgItem(process.window, IDC_PHRASE_LIST); }
    int Listed() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
    int StoredInFood() const
    {
        return Count(store, ("SELECT COUNT(*) FROM PHRASE WHERE CATEGORYID=" + std::to_string(food)).c_str());
    }
    // The first row selected, then the Delete key, answered Yes.
    void DeleteFirstRow()
    {
        SendMessageW(List(), WM_KEYDOWN, VK_HOME, 0);
        PostMessageW(List(), WM_KEYDOWN, VK_DELETE, 0);
        HWND question = process.WaitForDialog(IsMessageBox);
        ASSERT_NE(question, nullptr);
        PostMessageW(question, WM_COMMAND, IDYES, 0);
        ASSERT_TRUE(WaitUntilGone(question));
    }
    // The message box that says why, once the busy timeout has run out; closed with OK.
    std::wstring Told()
    {
        HWND box = process.WaitForDialog(IsMessageBox);
        if (!box)
            return L"(nothing said)";
        std::wstring said = MessageOf(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return WaitUntilGone(box) ? said : L"(not closed)";
    }
};

TEST_F(SharedStoreProgramTest, ADeleteHeldOffByAReaderIsUndoneAndSaidAndLaterChangesLand)
{
    StartOnFood();
    ASSERT_EQ(Listed(), 4);
    // The other program is in the middle of reading: the delete cannot commit.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT * FROM PHRASE", -1, &reading, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);
    DeleteFirstRow();
    std::wstring said = Told();
    EXPECT_NE(said.find(L"\u8CC7\u6599\u5EAB\u6B63\u88AB\u5176\u4ED6\u7A0B\u5F0F\u4F7F\u7528"), std::wstring::npos)
        << "in use by another program";
    // While the program is still open, a third program can read the store.
    EXPECT_EQ(StoredInFood(), 4);
    EXPECT_EQ(Listed(), 4);
    sqlite3_finalize(reading);
    reading = nullptr;
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);

    // The reader gone, a pair added lands at once, and is listed.
    SendMessageW(GetDlgItem(process.window, IDC_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"zebra"));
    SendMessageW(GetDlgItem(process.window, IDC_TRANSLATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"cebra"));
    SendMessageW(process.window, WM_COMMAND, IDC_ADD, 0);
    EXPECT_EQ(StoredInFood(), 5);
    EXPECT_EQ(Listed(), 5);
    PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(30000), 0u);
    process.window = nullptr;
    EXPECT_EQ(Count(store, "SELECT COUNT(*) FROM PHRASE WHERE SOURCE='zebra'"), 1);
}

TEST_F(SharedStoreProgramTest, ADeleteAgainstAWriteLockLeavesTheListAsTheStore)
{
    StartOnFood();
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    DeleteFirstRow();
    EXPECT_NE(Told(), L"(nothing said)");
    EXPECT_EQ(Listed(), 4);
    EXPECT_EQ(StoredInFood(), 4);
}

TEST_F(SharedStoreProgramTest, ACategoryThatCannotBeReadIsSaidNotShownEmpty)
{
    StartOnFood();
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    HWND combo = GetDlgItem(process.window, IDC_CATEGORY);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);   // Travel
    PostMessageW(process.window, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    std::wstring said = Told();
    EXPECT_EQ(said.rfind(L"\u7121\u6CD5\u8B80\u53D6", 0), 0u) << "cannot read";
    EXPECT_EQ(Listed(), 4) << "Food's rows stay";
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0) << "and Food stays selected";
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
}

}  // namespace
