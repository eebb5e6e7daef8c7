// The export and import commands of the main window, through the real common dialogs.
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include "common/com_ptr.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/app/window_fixture.h"
#include "tests/support/fault_vfs.h"
#include "tests/support/keys.h"

namespace {

typedef std::vector<std::wstring> Texts;


class ExportCommandsTest : public MainWindowTest {
protected:
    ComApartment com;
    int food = 0, travel = 0;

    void OpenSampleWindow()
    {
        sqlite3 *db = CreateStore();
        travel = GetOrCreateCategory(db, L"Travel");
        food = GetOrCreateCategory(db, L"Food");
        InsertPhrase(db, food, 1, 2, L"bread", L"pan");
        InsertPhrase(db, food, 1, 2, L"water", L"agua");
        InsertPhrase(db, travel, 1, 2, L"train", L"tren");
        sqlite3_close(db);
        OpenWindow();
    }
    // Runs command with the common file dialog answered with path.
    void CommandChoosing(int command, const std::wstring &path)
    {
        DialogDriver driver([&path](HWND dialog) {
            if (!SetDlgItemTextW(dialog, 0x480, path.c_str()))
                SetDlgItemTextW(dialog, 0x47C, path.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(command);
    }
    static size_t Count(const std::string &text, const std::string &what)
    {
        size_t count = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            count++;
        return count;
    }
};

// The folder dialog being driven, the folder it is to choose, and the checks made so far.
HWND g_folderDialog;
const std::wstring *g_folder;
int g_folderChecks;

// Whether the folder dialog's tree has the folder selected.
bool FolderSelected()
{
    HWND tree = FindWindowExW(g_folderDialog, nullptr, WC_TREEVIEWW, nullptr);
    wchar_t text[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    // The tree shows each folder by its last name.
    return item.hItem && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
           g_folder->substr(g_folder->rfind(L'\\') + 1) == text;
}

// Runs in the dialog's own message loop: OK once the folder is selected, which Wine's dialog does
// not always keep when it is asked while the dialog starts; asks again otherwise, and gives up
// (Cancel) after a few seconds.
void CALLBACK CheckFolder(HWND, UINT, UINT_PTR timer, DWORD)
{
    bool selected = FolderSelected();
    if (selected || ++g_folderChecks > 500) {
        KillTimer(nullptr, timer);
        PostMessageW(g_folderDialog, WM_COMMAND, selected ? IDOK : IDCANCEL, 0);
        return;
    }
    SendMessageW(g_folderDialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(g_folder->c_str()));
}

void ChooseFolder(HWND dialog, const std::wstring &folder)
{
    g_folderDialog = dialog;
    g_folder = &folder;
    g_folderChecks = 0;
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    SetTimer(nullptr, 0, 10, CheckFolder);
}

TEST_F(ExportCommandsTest, WorkbookOfEverythingAndOfTheCurrentCategory)
{
    OpenSampleWindow();
    std::wstring all = folder.File(L"all.xml");
    {
        // A finished export says so, with the file's name.
        MessageBoxAnswerer ok(IDOK);
        CommandChoosing(IDM_EXPORT_WORKBOOK, all);
        ASSERT_EQ(ok.seen().size(), 1u);
        std::wstring said = LoadedString(IDS_EXPORTED);
        EXPECT_EQ(ok.seen()[0].text, said.substr(0, said.find(L"%s")) + all);
    }
    std::string written = ReadFileBytes(all);
    EXPECT_EQ(Count(written, "<Row>"), 3u);
    EXPECT_LT(written.find(">bread<"), written.find(">pan<"));

    {
        KeyDown ctrl;
        CommandChoosing(IDM_EXPORT_WORKBOOK, folder.File(L"reversed.xml"));
    }
    written = ReadFileBytes(folder.File(L"reversed.xml"));
    EXPECT_LT(written.find(">pan<"), written.find(">bread<")) << "Ctrl puts the target side first";

    ASSERT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Food", L"Travel"}));
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
    CommandChoosing(IDM_EXPORT_CATEGORY, folder.File(L"travel.xml"));
    written = ReadFileBytes(folder.File(L"travel.xml"));
    EXPECT_EQ(Count(written, "<Row>"), 1u);
    EXPECT_NE(written.find(">train<"), std::string::npos);

    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    CommandChoosing(IDM_EXPORT_CATEGORY, folder.File(L"none.xml"));
    EXPECT_EQ(Count(ReadFileBytes(folder.File(L"none.xml")), "<Row>"), 0u);

    // A name typed and then cancelled: nothing is written.
    std::wstring cancelled = folder.File(L"cancelled.xml");
    bool typed = false;
    DialogDriver cancel([&cancelled, &typed](HWND dialog) {
        typed = SetDlgItemTextW(dialog, 0x480, cancelled.c_str()) || SetDlgItemTextW(dialog, 0x47C, cancelled.c_str());
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_EXPORT_WORKBOOK);
    EXPECT_TRUE(typed) << "the name went into the dialog";
    EXPECT_FALSE(FileExists(cancelled));
}

// The message an import ends with.
std::wstring Summary(int added, int held, int unusable)
{
    wchar_t text[256] = {};
    _snwprintf(text, 255, LoadedString(IDS_IMPORT_SUMMARY).c_str(), added, held, unusable);
    return text;
}

TEST_F(ExportCommandsTest, ImportRefillsTheSelectorsKeepingTheirSelectionAndTheList)
{
    OpenSampleWindow();
    std::wstring book = folder.File(L"in.xml");
    WriteFileBytes(book, "<Workbook><Worksheet><Table>"
                         "<Row><Cell><Data>Animals</Data></Cell><Cell><Data>cat</Data></Cell><Cell><Data>chat</Data></Cell>"
                         "<Cell><Data>en</Data></Cell><Cell><Data>fr</Data></Cell></Row>"
                         "<Row><Cell><Data>Travel</Data></Cell><Cell><Data>bus</Data></Cell><Cell><Data>autob\xC3\xBAs</Data></Cell>"
                         "<Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>"
                         "</Table></Worksheet></Workbook>");
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);   // Travel
    Command(IDC_CATEGORY, CBN_SELCHANGE);
    {
        MessageBoxAnswerer ok(IDOK);
        CommandChoosing(IDM_IMPORT_WORKBOOK, book);
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_EQ(ok.seen()[0].text, Summary(2, 0, 0));
    }
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Animals", L"Food", L"Travel"}));
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 2);
    EXPECT_EQ(ComboTexts(IDC_TARGET_LANGUAGE), (Texts{L" ", L"English", L"Espa\u00F1ol"}));
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 2);
    ASSERT_EQ(ListRows().size(), 2u) << "the pair imported into the shown category is listed";
    EXPECT_EQ(ListRows()[0].source, L"bus");

    // The same file again adds nothing, and says so.
    MessageBoxAnswerer ok(IDOK);
    CommandChoosing(IDM_IMPORT_WORKBOOK, book);
    ASSERT_EQ(ok.seen().size(), 1u);
    EXPECT_EQ(ok.seen()[0].text, Summary(0, 2, 0));
    EXPECT_EQ(ListRows().size(), 2u);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT COUNT(*) FROM PHRASE WHERE SOURCE IN ('cat','bus')"), (Rows{{L"2"}}));
}

// Another program keeps the store locked for longer than the commands wait: each says so, the
// user's file is left as it was, and the store is unchanged.
TEST_F(ExportCommandsTest, CommandsTheStoreRefusesSaySo)
{
    InstallFaultVfs();
    OpenSampleWindow();
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SetInstantLockWaits(true);
    std::wstring mine = folder.File(L"mine.xml");
    WriteFileBytes(mine, "<Workbook><Worksheet><Table><Row><Cell><Data>Food</Data></Cell><Cell><Data>salt</Data></Cell>"
                         "<Cell><Data>sal</Data></Cell><Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>"
                         "</Table></Worksheet></Workbook>");
    std::string before = ReadFileBytes(mine);
    wchar_t exportFailed[128] = {}, importFailed[128] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_NOT_EXPORTED, exportFailed, 128);
    LoadStringW(GetModuleHandleW(nullptr), IDS_NOT_IMPORTED, importFailed, 128);
    struct Case {
        int command;
        std::wstring path;
        std::wstring message;
    };
    for (const Case &one : {Case{IDM_EXPORT_WORKBOOK, folder.File(L"new.xml"), exportFailed},
                            Case{IDM_EXAM_ALL, folder.File(L"new.htm"), exportFailed},
                            Case{IDM_IMPORT_WORKBOOK, mine, importFailed + (L"\n" + LoadedString(IDS_STORE_BUSY))}}) {
        SCOPED_TRACE(one.command);
        MessageBoxAnswerer ok(IDOK);
        CommandChoosing(one.command, one.path);
        std::vector<std::wstring> texts;
        for (auto &seen : ok.seen())
            if (!seen.text.empty())
                texts.push_back(seen.text);
        EXPECT_EQ(texts, std::vector<std::wstring>{one.message + (L"\n" + one.path)});
        EXPECT_FALSE(FileExists(folder.File(L"new.xml")) || FileExists(folder.File(L"new.htm")));
    }
    EXPECT_EQ(ReadFileBytes(mine), before);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    SetInstantLockWaits(false);
    sqlite3_close(other);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE"), (Rows{{L"3"}}));
    sqlite3_close(db);
}

TEST_F(ExportCommandsTest, ExamPagesOfTheCategoryOfAllAndOnePerCategory)
{
    OpenSampleWindow();
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 0, 0);   // Food
    CommandChoosing(IDM_EXAM_CATEGORY, folder.File(L"food.htm"));
    std::string food = ReadFileBytes(folder.File(L"food.htm"));
    EXPECT_NE(food.find("\"-Food\"\r\n,\"bread\",\"pan\"\r\n,\"water\",\"agua\"\r\n];"), std::string::npos);

    {
        KeyDown ctrl;
        CommandChoosing(IDM_EXAM_ALL, folder.File(L"all.htm"));
    }
    std::string all = ReadFileBytes(folder.File(L"all.htm"));
    EXPECT_NE(all.find("\"-Food\"\r\n,\"agua\",\"water\"\r\n,\"pan\",\"bread\"\r\n,\"-Travel\"\r\n,\"tren\",\"train\"\r\n];"),
              std::string::npos);

    std::wstring pages = folder.File(L"pages");
    CreateDirectoryW(pages.c_str(), nullptr);
    {
        DialogDriver driver([&pages](HWND dialog) { ChooseFolder(dialog, pages); });
        Command(IDM_EXAM_PER_CATEGORY);
    }

    EXPECT_NE(ReadFileBytes(pages + L"\\Food.htm").find("\"-Food\"\r\n,\"bread\""), std::string::npos);
    EXPECT_NE(ReadFileBytes(pages + L"\\Travel.htm").find("\"-Travel\"\r\n,\"train\""), std::string::npos);
}

}  // namespace
