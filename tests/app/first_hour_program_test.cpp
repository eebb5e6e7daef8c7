// A learner's first hour in the real Lingotrove.exe, driven from outside: a first pair on a store
// without categories is stored under one that exists, Enter on a row's texts adds no copy, Update
// keeps a long phrase whole, importing a workbook twice adds its pairs once, a database name
// Windows cannot hold is refused without a file, and in the review the Show buttons are tab stops
// and F2 in an answer box stores Again. The program reads the prefix's own HKEY_CURRENT_USER, so
// this runs in the one process of the program tests.
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
#include "tests/support/temp_folder.h"

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// The program's message boxes carry the main window's title.
bool IsMessageBox(HWND window)
{
    return TextOf(window) == L"Words - Lingotrove" && GetDlgItem(window, IDOK) != nullptr;
}

bool IsFileDialog(HWND window)
{
    return GetDlgItem(window, 0x470) != nullptr;
}

bool IsNewDatabaseDialog(HWND window)
{
    return GetDlgItem(window, IDC_NEW_DB_NAME) != nullptr && GetDlgItem(window, IDC_NEW_DB_OK) != nullptr;
}

bool IsReview(HWND window)
{
    return TextOf(window).rfind(L"\u8907\u7FD2 - ", 0) == 0;
}

bool IsNewDatabaseMessage(HWND window)
{
    return GetDlgItem(window, IDOK) != nullptr && GetDlgItem(window, IDC_NEW_DB_NAME) == nullptr &&
           TextOf(window) == L"\u65B0\u589E\u8CC7\u6599\u5EAB";
}

// The text of a message box: control 0xFFFF on Windows, 100 under Wine.
std::wstring MessageOf(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return TextOf(text ? text : GetDlgItem(box, 100));
}

bool WaitUntilGone(HWND window)
{
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 30000;)
        Sleep(50);
    return !IsWindow(window);
}

class FirstHourProgramTest : public ProgramTest {
protected:
    ProgramProcess process;

    void TearDown() override
    {
        if (process.window) {
            PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
            process.WaitForExit(30000);
        }
        ProgramTest::TearDown();
    }
    Rows Query(const wchar_t *sql)
    {
        sqlite3 *db = nullptr;
        Rows rows;
        if (sqlite3_open16(store.c_str(), &db) == SQLITE_OK)
            rows = QueryRows(db, sql);
        sqlite3_close(db);
        return rows;
    }
    void Run(const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open16(store.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }
    HWND Item(int id) const { return GetDlgItem(process.window, id); }
    int Listed() const { return static_cast<int>(SendMessageW(Item(IDC_PHRASE_LIST), LVM_GETITEMCOUNT, 0, 0)); }
    void Click(HWND dialog, int id)
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    // The message box that came, its text; closed with OK.
    std::wstring Told(bool (*which)(HWND) = IsMessageBox)
    {
        HWND box = process.WaitForDialog(which);
        if (!box)
            return L"(nothing said)";
        std::wstring said = MessageOf(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return WaitUntilGone(box) ? said : L"(not closed)";
    }
    std::wstring Import(const std::wstring &book)
    {
        PostMessageW(process.window, WM_COMMAND, IDM_IMPORT_WORKBOOK, 0);
        HWND open = process.WaitForDialog(IsFileDialog);
        if (!open)
            return L"(no file dialog)";
        if (!SetDlgItemTextW(open, 0x480, book.c_str()))
            SetDlgItemTextW(open, 0x47C, book.c_str());
        PostMessageW(open, WM_COMMAND, IDOK, 0);
        return Told();
    }
    HWND Focused() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(process.info.dwThreadId, &info);
        return info.hwndFocus;
    }
};

TEST_F(FirstHourProgramTest, NothingTypedIsLostOrDoubled)
{
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    ASSERT_NE(db, nullptr);
    sqlite3_close(db);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(process.Start(program, folder.path));

    // The first pair, with no category yet: stored under one that exists, and listed.
    SetDlgItemTextW(process.window, IDC_PHRASE, L"hello");
    SetDlgItemTextW(process.window, IDC_TRANSLATION, L"hola");
    Click(process.window, IDC_ADD);
    EXPECT_EQ(Query(L"SELECT P.SOURCE FROM PHRASE P JOIN CATEGORY C ON C.ID=P.CATEGORYID"), (Rows{{L"hello"}}));
    EXPECT_EQ(Listed(), 1);

    // Its row clicked (the keyboard selects it the same way) fills the fields; Enter there, where
    // Add is the default button, stores no copy.
    SendMessageW(Item(IDC_PHRASE_LIST), WM_KEYDOWN, VK_HOME, 0);
    ASSERT_EQ(TextOf(Item(IDC_TRANSLATION)), L"hola");
    PostMessageW(Item(IDC_TRANSLATION), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    std::wstring said = Told();
    EXPECT_NE(said.find(L"\u5DF2\u7D93\u5728\u9019\u500B\u985E\u5225\u88E1"), std::wstring::npos) << "already in this category";
    EXPECT_EQ(Query(L"SELECT COUNT(*) FROM PHRASE"), (Rows{{L"1"}}));

    // A phrase of 202 characters (an import takes up to 259): only its translation changed, it
    // stays whole.
    std::wstring longPhrase;
    for (int i = 0; longPhrase.size() < 202; i++)
        longPhrase += L"word" + std::to_wstring(i) + L" ";
    longPhrase.resize(202);
    std::string sql = "INSERT INTO PHRASE(CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) SELECT CATEGORYID,1,2,'" +
                      std::string(longPhrase.begin(), longPhrase.end()) + "','short' FROM PHRASE";
    Run(sql.c_str());
    PostMessageW(process.window, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_CATEGORY)));
    for (DWORD start = GetTickCount(); Listed() < 2 && GetTickCount() - start < 10000;)
        Sleep(50);
    ASSERT_EQ(Listed(), 2);
    SendMessageW(Item(IDC_PHRASE_LIST), WM_KEYDOWN, VK_END, 0);
    SetDlgItemTextW(process.window, IDC_TRANSLATION, L"long");
    Click(process.window, IDC_UPDATE);
    EXPECT_EQ(Query(L"SELECT length(SOURCE),TARGET FROM PHRASE WHERE TARGET='long'"), (Rows{{L"202", L"long"}}));

    // The same workbook twice: its pairs once, and each time a message says what happened.
    std::wstring book = folder.File(L"words.xml");
    WriteFileBytes(book, "<Workbook><Worksheet><Table>"
                         "<Row><Cell><Data>Food</Data></Cell><Cell><Data>bread</Data></Cell><Cell><Data>pan</Data></Cell>"
                         "<Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>"
                         "<Row><Cell><Data>Food</Data></Cell><Cell><Data>milk</Data></Cell><Cell><Data>leche</Data></Cell>"
                         "<Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>"
                         "</Table></Worksheet></Workbook>");
    std::wstring first = Import(book), second = Import(book);
    EXPECT_NE(first.find(L" 2 "), std::wstring::npos) << std::string(first.begin(), first.end());
    EXPECT_NE(second.find(L" 0 "), std::wstring::npos) << std::string(second.begin(), second.end());
    EXPECT_EQ(Query(L"SELECT COUNT(*) FROM PHRASE WHERE SOURCE IN ('bread','milk')"), (Rows{{L"2"}}));

    // A database name Windows cannot hold: refused, and no file made.
    PostMessageW(process.window, WM_COMMAND, IDM_NEW_DATABASE, 0);
    HWND create = process.WaitForDialog(IsNewDatabaseDialog);
    ASSERT_NE(create, nullptr);
    SetDlgItemTextW(create, IDC_NEW_DB_NAME, L"bad:name");
    PostMessageW(create, WM_COMMAND, MAKEWPARAM(IDC_NEW_DB_OK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(create, IDC_NEW_DB_OK)));
    EXPECT_NE(Told(IsNewDatabaseMessage), L"(nothing said)");
    PostMessageW(create, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(create));
    EXPECT_FALSE(FileExists(folder.File(L"bad:name.db")));
    EXPECT_FALSE(FileExists(folder.File(L"bad")));

    // The review: Show is a tab stop after its box, and F2 in the box stores Again.
    PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
    HWND review = process.WaitForDialog(IsReview);
    ASSERT_NE(review, nullptr);
    HWND box = GetDlgItem(review, 510), show = GetDlgItem(review, 1010);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(show, GWL_STYLE) & WS_TABSTOP);
    SendMessageW(review, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    PostMessageW(box, WM_KEYDOWN, VK_TAB, 0x000F0001);
    for (DWORD start = GetTickCount(); Focused() != show && GetTickCount() - start < 10000;)
        Sleep(50);
    EXPECT_EQ(Focused(), show) << "Tab from the answer box goes to its Show button";
    SendMessageW(review, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    SendMessageW(box, WM_KEYDOWN, VK_F2, 0x003C0001);
    EXPECT_EQ(Query(L"SELECT RATING FROM REVIEWLOG"), (Rows{{L"1"}}));
    EXPECT_FALSE(IsWindowVisible(box));
    PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(review));
}

}  // namespace
