// The real Lingotrove.exe with the English resource module beside it: English window texts, file
// dialog filter and messages, and the program works as in Chinese: an add with translation, an
// export, a refused new database. (Wine lets no process read another's menus: the menus are
// compared in the modules themselves.) The program reads the prefix's own HKEY_CURRENT_USER, so
// this runs in the one process of the program tests.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_folder.h"

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts)
{
    reinterpret_cast<std::vector<std::wstring> *>(texts)->push_back(TextOf(child));
    return TRUE;
}

// Waits up to 30 s for a file to appear in its folder.
bool WaitForFile(const std::wstring &folder, const std::wstring &file)
{
    HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    bool there = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    for (DWORD start = GetTickCount(); !there && GetTickCount() - start < 30000;) {
        WaitForSingleObject(change, 1000);
        FindNextChangeNotification(change);
        there = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    FindCloseChangeNotification(change);
    return there;
}

bool IsMessageBox(HWND window)
{
    return GetDlgItem(window, 0xFFFF) != nullptr && GetDlgItem(window, IDOK) != nullptr;
}

bool IsFileDialog(HWND window)
{
    return GetDlgItem(window, 0x470) != nullptr;
}

bool IsNewDatabaseDialog(HWND window)
{
    return GetDlgItem(window, IDC_NEW_DB_NAME) != nullptr && !IsMessageBox(window);
}

using EnglishProgramTest = ProgramTest;

TEST_F(EnglishProgramTest, ShowsEnglishAndWorks)
{
    ASSERT_TRUE(CopyBuilt(L"english\\Lingotrove.exe.mui", L"Lingotrove.exe.mui"));
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    int category = GetOrCreateCategory(db, L"Animals");
    InsertPhrase(db, category, 1, 2, L"cat", L"gato");
    sqlite3_close(db);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));

    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));
    HWND window = process.window;
    EXPECT_EQ(TextOf(window), L"Words - Lingotrove");
    std::vector<std::wstring> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    for (const wchar_t *label : {L"&Category", L"Language", L"Fro&m", L"&To", L"&Phrase", L"Tra&nslation", L"&Add", L"&Update"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << "no control reads " << label;

    // An add with only the phrase typed: the translation is asked for and stored with it.
    server.Answer(200, "[[[\"perro\",\"dog\"]]]");
    SetDlgItemTextW(window, IDC_PHRASE, L"dog");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_ADD)));
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    db = nullptr;
    ASSERT_EQ(sqlite3_open16(store.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE,TARGET FROM PHRASE ORDER BY ID"), (Rows{{L"cat", L"gato"}, {L"dog", L"perro"}}));
    sqlite3_close(db);

    // The export's file dialog offers the English filter; the workbook is written.
    PostMessageW(window, WM_COMMAND, IDM_EXPORT_WORKBOOK, 0);
    HWND save = process.WaitForDialog(IsFileDialog);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(save, 0x470)), L"XML Files");
    std::wstring book = folder.File(L"animals.xml");
    if (!SetDlgItemTextW(save, 0x480, book.c_str()))
        SetDlgItemTextW(save, 0x47C, book.c_str());
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForFile(folder.path, book));
    // A short word says it is done.
    HWND done = process.WaitForDialog(IsMessageBox);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(done, 0xFFFF)), L"Exported: " + book);
    PostMessageW(done, WM_COMMAND, IDOK, 0);
    std::string written = ReadFileBytes(book);
    EXPECT_NE(written.find(">dog</Data>"), std::string::npos);
    EXPECT_NE(written.find(">perro</Data>"), std::string::npos);

    // A new database under a name that is taken: refused in English, under the dialog's caption.
    PostMessageW(window, WM_COMMAND, IDM_NEW_DATABASE, 0);
    HWND create = process.WaitForDialog(IsNewDatabaseDialog);
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(TextOf(create), L"New Database");
    SetDlgItemTextW(create, IDC_NEW_DB_NAME, L"Words");
    PostMessageW(create, WM_COMMAND, MAKEWPARAM(IDC_NEW_DB_OK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(create, IDC_NEW_DB_OK)));
    HWND box = process.WaitForDialog(IsMessageBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), L"New Database");
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"The database already exists, or its name is not valid.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    PostMessageW(create, WM_COMMAND, IDCANCEL, 0);

    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(60000), 0u);
}

}  // namespace
