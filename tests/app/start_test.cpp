// The main window's start: which database it opens, the title, the remembered category.
#include <windows.h>
#include <shlwapi.h>

#include "app/main_window.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/app/window_fixture.h"

namespace {

std::wstring DefaultDatabase()
{
    wchar_t path[MAX_PATH];
    GetProgramFolder(path);
    PathAppendW(path, L"Default.db");
    return path;
}

TEST_F(MainWindowTest, FirstStartCreatesDefaultDatabaseBesideTheProgram)
{
    // No key at all, and a "LastDB" too long for its buffer, both mean Default.db.
    const std::wstring tooLong(300, L'x');
    for (const wchar_t *lastDb : {static_cast<const wchar_t *>(nullptr), tooLong.c_str()}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        DeleteFileW(DefaultDatabase().c_str());
        if (lastDb) {
            HKEY key;
            RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
            RegSetValueExW(key, kLastDatabaseValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(lastDb),
                           static_cast<DWORD>((wcslen(lastDb) + 1) * 2));
            RegCloseKey(key);
        }
        CreateWindowOnly();
        ASSERT_NE(shell.db, nullptr);
        HKEY key;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_TRUE(FileExists(DefaultDatabase()));
        EXPECT_EQ(Title(), L"Default - Lingotrove");
        EXPECT_EQ(ComboTexts(IDC_SOURCE_LANGUAGE), (std::vector<std::wstring>{L"English", L"Espa\u00F1ol"}));
        EXPECT_EQ(ComboSelection(IDC_SOURCE_LANGUAGE), 0);
        EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1);
        EXPECT_TRUE(ComboTexts(IDC_CATEGORY).empty());
        EXPECT_TRUE(ListRows().empty());
        EXPECT_EQ(GetFocus(), Item(IDC_PHRASE));
        DestroyWindow(window);
        window = nullptr;
        sqlite3_close(shell.db);
        shell.db = nullptr;
        wchar_t stored[MAX_PATH];
        EXPECT_FALSE(ReadSettingText(kLastDatabaseValue, stored, MAX_PATH))
            << "LastDB is written only by opening a database from the File menu";
    }
    DeleteFileW(DefaultDatabase().c_str());
}

TEST_F(MainWindowTest, DeletedLastDatabaseIsCreatedAgainUnderItsPath)
{
    dbPath = folder.File(L"Vocabulario.db");
    OpenWindow();
    EXPECT_TRUE(FileExists(dbPath));
    EXPECT_EQ(Title(), L"Vocabulario - Lingotrove");
    EXPECT_EQ(ComboTexts(IDC_TARGET_LANGUAGE), (std::vector<std::wstring>{L"English", L"Espa\u00F1ol"}));
}

// Records whether a dialog of the test thread was ever shown.
class ShowWatcher {
public:
    ShowWatcher() { hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()); }
    ~ShowWatcher() { UnhookWindowsHookEx(hook_); }
    static bool shown;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && !GetParent(call->hwnd))
            shown = true;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};
bool ShowWatcher::shown = false;

// A "LastDB" that is no phrase store (random bytes, or a SQLite file of another program) is
// refused with a message and Default.db beside the program is opened instead; the file is left
// as it was. A phrase store with tables of its own opens as usual.
TEST_F(MainWindowTest, LastDatabaseThatIsNoPhraseStoreOpensDefaultInstead)
{
    std::string noise;
    for (int i = 0; i < 4096; i++)
        noise.push_back(static_cast<char>((i * 7919) % 251));
    std::wstring notes = folder.File(L"notes.db");
    WriteFileBytes(notes, noise);
    std::wstring other = folder.File(L"other.db");
    sqlite3 *foreign = nullptr;
    sqlite3_open16(other.c_str(), &foreign);
    sqlite3_exec(foreign, "CREATE TABLE THINGS(X)", nullptr, nullptr, nullptr);
    sqlite3_close(foreign);
    std::string otherBytes = ReadFileBytes(other);

    for (const std::wstring &path : {notes, other}) {
        SCOPED_TRACE(testing::PrintToString(path));
        WriteSettingText(kLastDatabaseValue, path.c_str());
        MessageBoxAnswerer ok(IDOK);
        CreateWindowOnly();
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_NE(ok.seen()[0].text.find(path), std::wstring::npos) << "the message names the file";
        ASSERT_NE(shell.db, nullptr);
        EXPECT_EQ(Title(), L"Default - Lingotrove");
        EXPECT_EQ(QueryRows(shell.db, L"SELECT CODE FROM LANGUAGE ORDER BY ID"), (::Rows{{L"en"}, {L"es"}}));
        wchar_t last[MAX_PATH];
        ReadSettingText(kLastDatabaseValue, last, MAX_PATH);
        EXPECT_EQ(std::wstring(last), DefaultDatabase()) << "the next start goes there without the message";
        DestroyWindow(window);
        window = nullptr;
        sqlite3_close(shell.db);
        shell.db = nullptr;
    }
    EXPECT_EQ(ReadFileBytes(notes), noise);
    EXPECT_EQ(ReadFileBytes(other), otherBytes);

    sqlite3 *db = CreateStore();
    sqlite3_exec(db, "CREATE TABLE NOTES(TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    MessageBoxAnswerer none(IDOK);
    OpenWindow();
    EXPECT_EQ(Title(), L"Words - Lingotrove");
    EXPECT_TRUE(none.seen().empty());
}

TEST_F(MainWindowTest, LastDatabaseInAMissingFolderEndsTheWindowUnseen)
{
    dbPath = folder.File(L"gone\\Words.db");
    WriteSettingText(kLastDatabaseValue, dbPath.c_str());
    // Run as the program runs it, modally. A window that went on would be shown once its queue
    // is empty; Escape from another thread ends it after five seconds as a safeguard.
    ShowWatcher::shown = false;
    ShowWatcher watcher;
    struct Safeguard {
        HWND dialog = nullptr;
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI Run(void *self)
        {
            Safeguard *guard = static_cast<Safeguard *>(self);
            if (WaitForSingleObject(guard->done, 5000) == WAIT_TIMEOUT)
                PostMessageW(guard->dialog, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
    } guard;
    DialogDriver remember([&guard](HWND dialog) { guard.dialog = dialog; });
    HANDLE thread = CreateThread(nullptr, 0, Safeguard::Run, &guard, 0, nullptr);
    EXPECT_EQ(DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                              reinterpret_cast<LPARAM>(&shell)), 0);
    SetEvent(guard.done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(guard.done);
    EXPECT_FALSE(ShowWatcher::shown);
    EXPECT_EQ(shell.db, nullptr);
    EXPECT_FALSE(FileExists(dbPath));
}

TEST_F(MainWindowTest, LastCategoryIsSelectedWhenItStillExists)
{
    sqlite3 *db = CreateStore();
    int animals = GetOrCreateCategory(db, L"Animals");
    int food = GetOrCreateCategory(db, L"Food");
    InsertPhrase(db, food, 1, 2, L"bread", L"pan");
    InsertPhrase(db, animals, 1, 2, L"cat", L"gato");
    sqlite3_close(db);

    struct Case { DWORD stored; int selected; const wchar_t *firstSource; };
    const Case cases[] = {
        {static_cast<DWORD>(food), 1, L"bread"},
        {static_cast<DWORD>(animals), 0, L"cat"},
        {77, 0, L"cat"},                     // stale
        {0, 0, L"cat"},
        {0xFFFFFFFF, 0, L"cat"},             // negative
    };
    for (const Case &c : cases) {
        WriteSettingDword(kLastCategoryValue, c.stored);
        OpenWindow();
        EXPECT_EQ(ComboSelection(IDC_CATEGORY), c.selected) << c.stored;
        ASSERT_EQ(ListRows().size(), 1u);
        EXPECT_EQ(ListRows()[0].source, c.firstSource);
        DestroyWindow(window);
        window = nullptr;
        sqlite3_close(shell.db);
        shell.db = nullptr;
        DWORD written = 1234;
        EXPECT_TRUE(ReadSettingDword(kLastCategoryValue, &written));
        EXPECT_EQ(written, static_cast<DWORD>(c.selected == 1 ? food : animals))
            << "closing stores the selected category";
    }
}

TEST_F(MainWindowTest, ClosingWithNoCategoryStoresZero)
{
    WriteSettingDword(kLastCategoryValue, 5);
    OpenWindow();
    DestroyWindow(window);
    window = nullptr;
    DWORD written = 1234;
    EXPECT_TRUE(ReadSettingDword(kLastCategoryValue, &written));
    EXPECT_EQ(written, 0u);
}

TEST(MainWindowTitle, IsTheFileNameWithoutItsLastExtension)
{
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::wstring longPath = L"C:\\data\\" + std::wstring(251, L'n') + L".db";   // cut to 259: no extension left
    struct Case { std::wstring path, title; };
    const Case cases[] = {
        {L"C:\\data\\Words.db", L"Words - Lingotrove"},
        {L"C:\\data\\a.b.db", L"a.b - Lingotrove"},
        {L"C:\\data\\noextension", L"noextension - Lingotrove"},
        {L"C:\\d\u00EDas\\\u8A5E\u5EAB.db", L"\u8A5E\u5EAB - Lingotrove"},
        {longPath, std::wstring(251, L'n') + L" - Lingotrove"},
    };
    ASSERT_EQ(longPath.size(), 262u);
    for (const Case &c : cases) {
        SetMainWindowTitle(window, c.path.c_str());
        wchar_t title[600] = {};
        GetWindowTextW(window, title, 600);
        EXPECT_EQ(std::wstring(title), c.title);
    }
    DestroyWindow(window);
}

TEST(FormatWithText, ReplacesOnlyTheFirstPlaceholder)
{
    struct Case { const wchar_t *format; size_t size; const wchar_t *expected; };
    const Case cases[] = {
        {L"%s - Lingotrove", 64, L"Words - Lingotrove"},
        {L"%s %s %d %%", 64, L"Words %s %d %%"},
        {L"no placeholder", 64, L"no placeholder"},
        {L"%s - Lingotrove", 8, L"Words -"},
    };
    for (const Case &c : cases) {
        wchar_t buffer[64];
        FormatWithText(buffer, c.size, c.format, L"Words");
        EXPECT_STREQ(buffer, c.expected);
    }
}

}  // namespace

namespace {

TEST(KeyboardLayout, UnchangedWhenThePreferredLayoutIsNotInstalled)
{
    HKL layouts[32];
    int count = GetKeyboardLayoutList(32, layouts);
    for (int i = 0; i < count; i++)
        ASSERT_NE(reinterpret_cast<UINT_PTR>(layouts[i]), 0xF001540Au) << "this test needs it absent";
    HKL before = GetKeyboardLayout(0);
    SelectPreferredKeyboardLayout();
    EXPECT_EQ(GetKeyboardLayout(0), before);
}

}  // namespace
