// Creating and opening database files from the main window.
#include <windows.h>
#include <shlwapi.h>

#include "app/database_files.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/app/window_fixture.h"

namespace {

typedef std::vector<std::wstring> Texts;

const wchar_t kRefused[] = L"\u8CC7\u6599\u5EAB\u5DF2\u7D93\u5B58\u5728\uFF0C\u6216 \u7121\u6548\u7684\u8CC7\u6599\u5EAB\u540D\u7A31\u3002";
const wchar_t kNewDatabaseCaption[] = L"\u65B0\u589E\u8CC7\u6599\u5EAB";

std::wstring BesideTheProgram(const std::wstring &name)
{
    wchar_t path[MAX_PATH];
    GetProgramFolder(path);
    PathAppendW(path, name.c_str());
    return path;
}

// A database file beside the program, removed again when the test ends.
struct ProgramFolderFile {
    std::wstring path;
    explicit ProgramFolderFile(const std::wstring &name) : path(BesideTheProgram(name)) { DeleteFileW(path.c_str()); }
    ~ProgramFolderFile() { DeleteFileW(path.c_str()); }
};

class DatabaseFilesTest : public MainWindowTest {
protected:
    void OpenSampleWindow()
    {
        sqlite3 *db = CreateStore();
        GetOrCreateCategory(db, L"Old");
        sqlite3_close(db);
        OpenWindow();
    }
    std::wstring LastDb()
    {
        wchar_t path[MAX_PATH];
        ReadSettingText(kLastDatabaseValue, path, MAX_PATH);
        return path;
    }
    // Runs command 114 and types name into the new-database dialog, then presses OK and, should the
    // dialog still be open, Cancel.
    void CreateNamed(const wchar_t *name)
    {
        DialogDriver driver([name](HWND dialog) {
            wchar_t caption[64] = {};
            GetWindowTextW(dialog, caption, 64);
            if (wcscmp(caption, kNewDatabaseCaption) != 0)
                return;
            SetDlgItemTextW(dialog, IDC_NEW_DB_NAME, name);
            PostMessageW(dialog, WM_COMMAND, IDC_NEW_DB_OK, 0);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_NEW_DATABASE);
    }
};

TEST_F(DatabaseFilesTest, NewDatabaseIsCreatedBesideTheProgramAndOpened)
{
    ProgramFolderFile words(L"Words.db");
    OpenSampleWindow();
    sqlite3 *before = shell.db;
    MessageBoxAnswerer boxes(IDOK);
    CreateNamed(L"Words");
    EXPECT_TRUE(boxes.seen().empty());
    ASSERT_TRUE(FileExists(words.path));
    EXPECT_NE(shell.db, before);
    EXPECT_EQ(Title(), L"Words - Lingotrove");
    EXPECT_EQ(LastDb(), words.path);
    EXPECT_TRUE(ComboTexts(IDC_CATEGORY).empty());
    EXPECT_EQ(ComboTexts(IDC_SOURCE_LANGUAGE), (Texts{L"English", L"Espa\u00F1ol"}));
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT CODE FROM LANGUAGE ORDER BY ID"), (::Rows{{L"en"}, {L"es"}}));

    // The File menu lists it from now on.
    SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    wchar_t item[MAX_PATH];
    HMENU file = GetSubMenu(GetMenu(window), 0);
    bool listed = false;
    for (UINT command = IDM_DATABASE_FIRST; GetMenuStringW(file, command, item, MAX_PATH, MF_BYCOMMAND); command++)
        listed = listed || wcscmp(item, L"Words") == 0;
    EXPECT_TRUE(listed);
}

TEST_F(DatabaseFilesTest, RefusedNamesShowTheMessageAndChangeNothing)
{
    ProgramFolderFile taken(L"Taken.db");
    WriteFileBytes(taken.path, "keep me");
    OpenSampleWindow();
    sqlite3 *before = shell.db;
    // Every name Windows cannot hold is refused here too, though Wine's file system would take
    // most of them.
    const wchar_t *const refused[] = {L"Taken", L"what?", L"star*", L"no\\such\\folder", L"bad:name", L"a<b", L"a>b",
                                      L"quote\"d", L"sl/ash", L"pi|pe", L"tab\tin", L"trailing.", L"trailing ",
                                      L"CON", L"nul", L"Com1", L"lpt9", L"aux.old", L"PRN ", L"com\u00B9"};
    for (const wchar_t *name : refused) {
        MessageBoxAnswerer boxes(IDOK);
        CreateNamed(name);
        ASSERT_EQ(boxes.seen().size(), 1u) << name;
        EXPECT_EQ(boxes.seen()[0].caption, kNewDatabaseCaption);
        EXPECT_EQ(boxes.seen()[0].text, kRefused);
        EXPECT_EQ(shell.db, before);
        EXPECT_EQ(Title(), L"Words - Lingotrove");
    }
    EXPECT_EQ(ReadFileBytes(taken.path), "keep me");
    // No file was made (a device name would be found as its device anyway).
    for (const wchar_t *name : refused) {
        bool device = std::wstring(L"CON nul Com1 lpt9 aux.old PRN  com\u00B9").find(name) != std::wstring::npos;
        bool made = wcscmp(name, L"Taken") != 0 && !device && FileExists(BesideTheProgram(std::wstring(name) + L".db"));
        EXPECT_FALSE(made) << name;
    }
}

TEST_F(DatabaseFilesTest, OkIsEnabledOnlyWithAName)
{
    wchar_t path[MAX_PATH] = L"unchanged";
    HWND dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_NEW_DATABASE), nullptr,
                                     NewDatabaseDialog, reinterpret_cast<LPARAM>(path));
    ASSERT_NE(dialog, nullptr);
    HWND ok = GetDlgItem(dialog, IDC_NEW_DB_OK);
    EXPECT_FALSE(IsWindowEnabled(ok));
    SetDlgItemTextW(dialog, IDC_NEW_DB_NAME, L"W");
    EXPECT_TRUE(IsWindowEnabled(ok));
    SetDlgItemTextW(dialog, IDC_NEW_DB_NAME, L"");
    EXPECT_FALSE(IsWindowEnabled(ok));
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_NEW_DB_NAME, EM_GETLIMITTEXT, 0, 0), 127);
    EXPECT_STREQ(path, L"unchanged");
    DestroyWindow(dialog);
}

TEST_F(DatabaseFilesTest, CancelledDialogsChangeNothing)
{
    OpenSampleWindow();
    sqlite3 *before = shell.db;
    {
        DialogDriver driver([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        Command(IDM_NEW_DATABASE);
    }
    EXPECT_EQ(shell.db, before);
    EXPECT_EQ(Title(), L"Words - Lingotrove");
    EXPECT_EQ(LastDb(), dbPath);
}

TEST_F(DatabaseFilesTest, OpenDialogOpensADatabaseFromAnotherFolder)
{
    OpenSampleWindow();
    std::wstring other = folder.File(L"elsewhere\\Vocabulario.db");
    CreateDirectoryW(folder.File(L"elsewhere").c_str(), nullptr);
    sqlite3 *db = OpenPhraseStore(other.c_str(), true);
    GetOrCreateCategory(db, L"Verbos");
    sqlite3_close(db);
    std::vector<std::wstring> filters;
    int selectedFilter = -2;
    {
        DialogDriver driver([&](HWND dialog) {
            // The file types box (cmb1) shows the filters of string 4.
            int count = static_cast<int>(SendDlgItemMessageW(dialog, 0x470, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; i++) {
                wchar_t text[128] = {};
                SendDlgItemMessageW(dialog, 0x470, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                filters.push_back(text);
            }
            selectedFilter = static_cast<int>(SendDlgItemMessageW(dialog, 0x470, CB_GETCURSEL, 0, 0));
            // The file name box of the common dialog (edt1, or the combo box cmb13).
            if (!SetDlgItemTextW(dialog, 0x480, other.c_str()))
                SetDlgItemTextW(dialog, 0x47C, other.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_OPEN_DATABASE);
    }
    EXPECT_EQ(filters, (Texts{L"\u8CC7\u6599\u5EAB\u6A94\u6848"}));
    EXPECT_EQ(selectedFilter, 0);
    EXPECT_EQ(Title(), L"Vocabulario - Lingotrove");
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Verbos"}));
    EXPECT_EQ(_wcsicmp(LastDb().c_str(), other.c_str()), 0) << "LastDB is " << ::testing::PrintToString(LastDb());
}

TEST_F(DatabaseFilesTest, FileMenuItemReopensTheOpenDatabaseOrKeepsItWhenItFails)
{
    ProgramFolderFile reopened(L"Reopened.db");
    dbPath = reopened.path;
    sqlite3 *db = CreateStore();
    GetOrCreateCategory(db, L"A");
    GetOrCreateCategory(db, L"B");
    sqlite3_close(db);
    OpenWindow();
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, 0, 0);
    HMENU file = GetSubMenu(GetMenu(window), 0);
    AppendMenuW(file, MF_STRING, IDM_DATABASE_FIRST, L"Reopened");
    AppendMenuW(file, MF_STRING, IDM_DATABASE_FIRST + 1, L"missing folder\\Gone");
    WriteSettingText(kLastDatabaseValue, L"before");

    sqlite3 *before = shell.db;
    Command(IDM_DATABASE_FIRST);
    EXPECT_NE(shell.db, before);
    EXPECT_EQ(Title(), L"Reopened - Lingotrove");
    EXPECT_EQ(LastDb(), reopened.path);
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 0) << "selections fall back to the first items";
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1);

    sqlite3 *current = shell.db;
    MessageBoxAnswerer ok(IDOK);
    Command(IDM_DATABASE_FIRST + 1);
    ASSERT_EQ(ok.seen().size(), 1u) << "the failure is told";
    EXPECT_NE(ok.seen()[0].text.find(L"Gone.db"), std::wstring::npos);
    EXPECT_EQ(shell.db, current);

    // A file of the folder that is no phrase store is refused the same way, and left alone.
    ProgramFolderFile notes(L"Notes.db");
    WriteFileBytes(notes.path, std::string(2048, '\x42'));
    AppendMenuW(file, MF_STRING, IDM_DATABASE_FIRST + 2, L"Notes");
    Command(IDM_DATABASE_FIRST + 2);
    ASSERT_EQ(ok.seen().size(), 2u);
    EXPECT_EQ(shell.db, current);
    EXPECT_EQ(ReadFileBytes(notes.path), std::string(2048, '\x42'));
    EXPECT_EQ(Title(), L"Reopened - Lingotrove");
    EXPECT_EQ(LastDb(), reopened.path);
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"A", L"B"}));
}

}  // namespace
