// The category and language settings dialogs, created from the real resources.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/settings_dialogs.h"
#include "tests/app/window_fixture.h"
#include "tests/support/fault_vfs.h"

namespace {

typedef std::vector<std::wstring> Texts;

class SettingsDialogTest : public ::testing::Test {
protected:
    TempFolder folder;
    sqlite3 *db = nullptr;
    HWND dialog = nullptr;
    int travel = 0, animals = 0;

    void SetUp() override
    {
        InstallFaultVfs();
        db = OpenPhraseStore(folder.File(L"Settings.db").c_str(), true);
        travel = GetOrCreateCategory(db, L"Travel");
        animals = GetOrCreateCategory(db, L"animals");
        GetOrCreateCategory(db, L"Food");
        GetOrCreateLanguage(db, L"de", L"Deutsch");
        InsertPhrase(db, travel, 1, 2, L"train", L"tren");
        InsertPhrase(db, animals, 3, 1, L"Katze", L"cat");
        InsertPhrase(db, animals, 1, 2, L"dog", L"perro");
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        sqlite3_close(db);
    }
    void Open(int resource, DLGPROC procedure)
    {
        dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(resource), nullptr, procedure,
                                    reinterpret_cast<LPARAM>(db));
        ASSERT_NE(dialog, nullptr);
    }
    HWND List() { return GetDlgItem(dialog, IDC_SETTINGS_LIST); }
    std::wstring Field(int id)
    {
        wchar_t text[300] = {};
        GetDlgItemTextW(dialog, id, text, 300);
        return text;
    }
    void PressEnterIn(int control)
    {
        SetFocus(GetDlgItem(dialog, control));
        MSG message = {GetDlgItem(dialog, control), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageW(dialog, &message));
    }
    void Select(int row)
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = row >= 0 ? LVIS_SELECTED : 0;
        SendMessageW(List(), LVM_SETITEMSTATE, row >= 0 ? row : -1, reinterpret_cast<LPARAM>(&item));
    }
    void PressDelete()
    {
        SendMessageW(List(), WM_KEYDOWN, VK_DELETE, 0);
    }
    ::Rows Categories() { return QueryRows(db, L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY ID"); }
};

TEST_F(SettingsDialogTest, CategoryListIsSortedAtOpeningAndAfterAdds)
{
    Open(IDD_CATEGORIES, CategorySettingsDialog);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"\u985E\u5225\u8A2D\u5B9A");
    EXPECT_EQ(ListTexts(List()), (Texts{L"animals|", L"Food|", L"Travel|"}));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SETTINGS_FIRST));

    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Birds");
    PressEnterIn(IDC_SETTINGS_FIRST);
    EXPECT_EQ(ListTexts(List()), (Texts{L"animals|", L"Birds|", L"Food|", L"Travel|"}));
    EXPECT_EQ(Categories().back(), (std::vector<std::wstring>{L"4", L"Birds"}));
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SETTINGS_FIRST));
}

TEST_F(SettingsDialogTest, AnEmptyAddStoresNothingAndAnIncompleteOneIsTold)
{
    Open(IDD_CATEGORIES, CategorySettingsDialog);
    SetFocus(GetDlgItem(dialog, IDC_SETTINGS_UPDATE));
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(Categories().size(), 3u);
    EXPECT_EQ(ListTexts(List()).size(), 3u);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SETTINGS_FIRST));
    // A complete add empties the field for the next one too.
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Birds");
    SetFocus(GetDlgItem(dialog, IDC_SETTINGS_UPDATE));
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(Categories().size(), 4u);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SETTINGS_FIRST));
    DestroyWindow(dialog);

    // A language needs both its code and its description: with only the code typed, nothing is
    // stored, a message says what is missing, the code stays and the focus goes to the name.
    // Update does the same.
    Open(IDD_LANGUAGES, LanguageSettingsDialog);
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"it");
    SetFocus(GetDlgItem(dialog, IDC_SETTINGS_UPDATE));
    MessageBoxAnswerer answerer(IDOK);
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    Select(0);
    SetDlgItemTextW(dialog, IDC_SETTINGS_SECOND, L"");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_UPDATE, 0);
    EXPECT_EQ(QueryRows(db, L"SELECT CODE,DESCRIPTION FROM LANGUAGE ORDER BY ID"),
              (::Rows{{L"en", L"English"}, {L"es", L"Espa\u00F1ol"}, {L"de", L"Deutsch"}}));
    ASSERT_EQ(answerer.seen().size(), 2u);
    EXPECT_EQ(answerer.seen()[0].text, LoadedString(IDS_ENTRY_INCOMPLETE));
    EXPECT_EQ(answerer.seen()[1].text, LoadedString(IDS_ENTRY_INCOMPLETE));
}

TEST_F(SettingsDialogTest, HalfALanguageIsNotDropped)
{
    Open(IDD_LANGUAGES, LanguageSettingsDialog);
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"it");
    MessageBoxAnswerer answerer(IDOK);
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"it");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SETTINGS_SECOND));
}

TEST_F(SettingsDialogTest, AddingAnExistingRecordSelectsItsRow)
{
    Open(IDD_CATEGORIES, CategorySettingsDialog);
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Travel");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(ListTexts(List()), (Texts{L"animals|", L"Food|", L"Travel|"}));
    EXPECT_EQ(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
    EXPECT_EQ(Categories().size(), 3u);

    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"travel");   // another case is another record
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(ListTexts(List()).size(), 4u);
}

TEST_F(SettingsDialogTest, SelectionFillsTheFieldAndUpdateRenames)
{
    Open(IDD_CATEGORIES, CategorySettingsDialog);
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Nothing selected");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_UPDATE, 0);
    EXPECT_EQ(Categories(), (::Rows{{L"1", L"Travel"}, {L"2", L"animals"}, {L"3", L"Food"}}));

    Select(2);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"Travel");
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"Trips 'abroad'");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_UPDATE, 0);
    EXPECT_EQ(Categories()[0], (std::vector<std::wstring>{L"1", L"Trips 'abroad'"}));
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"Trips 'abroad'") << "the field keeps its text";
    Texts texts = ListTexts(List());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Trips 'abroad'|"), texts.end());

    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_UPDATE, 0);
    EXPECT_EQ(Categories()[0], (std::vector<std::wstring>{L"1", L"Trips 'abroad'"}));
}

TEST_F(SettingsDialogTest, DeletingACategoryAsksUnderTheDialogsCaption)
{
    Open(IDD_CATEGORIES, CategorySettingsDialog);
    Select(0);   // animals
    {
        MessageBoxAnswerer no(IDNO);
        PressDelete();
        ASSERT_EQ(no.seen().size(), 1u);
        EXPECT_EQ(no.seen()[0].caption, L"\u985E\u5225\u8A2D\u5B9A");
    }
    EXPECT_EQ(Categories().size(), 3u);
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE"), ::Rows{{L"3"}});

    MessageBoxAnswerer yes(IDYES);
    PressDelete();
    EXPECT_EQ(ListTexts(List()), (Texts{L"Food|", L"Travel|"}));
    EXPECT_EQ(Categories(), (::Rows{{L"1", L"Travel"}, {L"3", L"Food"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE FROM PHRASE"), ::Rows{{L"train"}});
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM LANGUAGE"), ::Rows{{L"3"}});
}

TEST_F(SettingsDialogTest, LanguageDialogListsCodesAndDescriptions)
{
    Open(IDD_LANGUAGES, LanguageSettingsDialog);
    EXPECT_EQ(ListTexts(List()), (Texts{L"de|Deutsch", L"en|English", L"es|Espa\u00F1ol"}));

    HWND code = GetDlgItem(dialog, IDC_SETTINGS_FIRST);
    for (wchar_t c : std::wstring(L"FR-CA"))
        SendMessageW(code, WM_CHAR, c, 0);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"fr-ca");

    // Both fields are needed.
    {
        MessageBoxAnswerer answerer(IDOK);
        SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
        EXPECT_EQ(answerer.seen().size(), 1u);
    }
    EXPECT_EQ(ListTexts(List()).size(), 3u);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"fr-ca");

    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"fr");
    SetDlgItemTextW(dialog, IDC_SETTINGS_SECOND, L"Fran\u00E7ais");
    PressEnterIn(IDC_SETTINGS_SECOND);
    EXPECT_EQ(ListTexts(List()),
              (Texts{L"de|Deutsch", L"en|English", L"es|Espa\u00F1ol", L"fr|Fran\u00E7ais"}));
    EXPECT_EQ(QueryRows(db, L"SELECT ID,CODE,DESCRIPTION FROM LANGUAGE WHERE CODE='fr'"),
              (::Rows{{L"4", L"fr", L"Fran\u00E7ais"}}));

    // An existing code selects its row, with the stored description.
    SetDlgItemTextW(dialog, IDC_SETTINGS_FIRST, L"en");
    SetDlgItemTextW(dialog, IDC_SETTINGS_SECOND, L"Englisch");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_ADD, 0);
    EXPECT_EQ(ListTexts(List()).size(), 4u);
    EXPECT_EQ(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

    Select(0);
    EXPECT_EQ(Field(IDC_SETTINGS_FIRST), L"de");
    EXPECT_EQ(Field(IDC_SETTINGS_SECOND), L"Deutsch");
    SetDlgItemTextW(dialog, IDC_SETTINGS_SECOND, L"German");
    SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_UPDATE, 0);
    EXPECT_EQ(QueryRows(db, L"SELECT CODE,DESCRIPTION FROM LANGUAGE WHERE ID=3"), (::Rows{{L"de", L"German"}}));
    EXPECT_EQ(ListTexts(List())[0], L"de|German");
}

// The question names the language and how many pairs go with it, in whichever category; No keeps
// them all.
TEST_F(SettingsDialogTest, DeletingALanguageDeletesThePairsUsingIt)
{
    Open(IDD_LANGUAGES, LanguageSettingsDialog);
    Select(0);   // de
    int pairs = _wtoi(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE WHERE SLANGUAGEID=3 OR TLANGUAGEID=3")[0][0].c_str());
    ASSERT_GT(pairs, 0);
    wchar_t question[256] = {};
    _snwprintf(question, 255, LoadedString(IDS_DELETE_ONE).c_str(), L"Deutsch", pairs);
    {
        MessageBoxAnswerer no(IDNO);
        PressDelete();
        ASSERT_EQ(no.seen().size(), 1u);
        EXPECT_EQ(no.seen()[0].text, question);
        EXPECT_EQ(ListTexts(List()).size(), 3u);
    }
    MessageBoxAnswerer yes(IDYES);
    PressDelete();
    ASSERT_EQ(yes.seen().size(), 1u);
    EXPECT_EQ(yes.seen()[0].caption, L"\u8A9E\u8A00\u8A2D\u5B9A");
    EXPECT_EQ(ListTexts(List()), (Texts{L"en|English", L"es|Espa\u00F1ol"}));
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE FROM PHRASE ORDER BY ID"), (::Rows{{L"train"}, {L"dog"}}));
}

TEST_F(MainWindowTest, SettingsDialogsRunModallyAndTheSelectorsAreRefilledAfterwards)
{
    sqlite3 *db = CreateStore();
    GetOrCreateCategory(db, L"Travel");
    GetOrCreateCategory(db, L"animals");
    GetOrCreateCategory(db, L"Food");
    sqlite3_close(db);
    OpenWindow();
    // The selectors keep the query's binary order: upper case first.
    ASSERT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Food", L"Travel", L"animals"}));
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 0, 0);
    {
        DialogDriver driver([](HWND settings) {
            SetDlgItemTextW(settings, IDC_SETTINGS_FIRST, L"Birds");
            PostMessageW(settings, WM_COMMAND, IDC_SETTINGS_ADD, 0);
            PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_CATEGORY_SETTINGS);
    }
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Birds", L"Food", L"Travel", L"animals"}));
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 1) << "Food stays selected";

    {
        DialogDriver driver([](HWND settings) {
            SetDlgItemTextW(settings, IDC_SETTINGS_FIRST, L"it");
            SetDlgItemTextW(settings, IDC_SETTINGS_SECOND, L"Italiano");
            PostMessageW(settings, WM_COMMAND, IDC_SETTINGS_ADD, 0);
            PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_LANGUAGE_SETTINGS);
    }
    EXPECT_EQ(ComboTexts(IDC_TARGET_LANGUAGE), (Texts{L"English", L"Espa\u00F1ol", L"Italiano"}));
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1) << "Espa\u00F1ol stays selected";
}

// Deleting the shown category, or a language its pairs use, deletes pairs: the main window's list
// shows what is left afterwards.
TEST_F(MainWindowTest, TheListIsRefilledAfterTheSettingsDialogs)
{
    sqlite3 *db = CreateStore();
    int food = GetOrCreateCategory(db, L"Food");
    int travel = GetOrCreateCategory(db, L"Travel");
    int german = GetOrCreateLanguage(db, L"de", L"Deutsch");
    InsertPhrase(db, food, 1, 2, L"bread", L"pan");
    InsertPhrase(db, food, 1, german, L"water", L"Wasser");
    InsertPhrase(db, travel, 1, 2, L"train", L"tren");
    sqlite3_close(db);
    OpenWindow();
    ASSERT_EQ(ComboSelection(IDC_CATEGORY), 0);
    ASSERT_EQ(ListRows().size(), 2u);

    MessageBoxAnswerer yes(IDYES);
    {
        DialogDriver driver(DeleteFirstSettingsRecord);     // "de Deutsch", the first by code
        Command(IDM_LANGUAGE_SETTINGS);
    }
    EXPECT_EQ(ListTexts(Item(IDC_PHRASE_LIST)), (Texts{L"bread|pan"}));
    {
        DialogDriver driver(DeleteFirstSettingsRecord);     // "Food", the shown category
        Command(IDM_CATEGORY_SETTINGS);
    }
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Travel"}));
    EXPECT_EQ(ListTexts(Item(IDC_PHRASE_LIST)), (Texts{L"train|tren"}));
}

}  // namespace

namespace {

// A dialog whose records cannot be read says so, rather than showing no categories at all.
TEST_F(SettingsDialogTest, RecordsThatCannotBeReadAreSaid)
{
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open16(folder.File(L"Settings.db").c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SetInstantLockWaits(true);
    {
        MessageBoxAnswerer ok(IDOK);
        Open(IDD_CATEGORIES, CategorySettingsDialog);
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_EQ(ok.seen()[0].text, LoadedString(IDS_RECORDS_NOT_READ) + L"\n" + LoadedString(IDS_STORE_BUSY));
    }
    SetInstantLockWaits(false);
    EXPECT_TRUE(ListTexts(List()).empty());
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
}

}  // namespace
