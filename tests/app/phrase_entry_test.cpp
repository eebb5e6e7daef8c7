// Typing pairs in the main window: add (with the translation service on a loopback server),
// update, selection of a row, and the plug-in translation message.
#include "tests/support/http_server.h"

#include <commctrl.h>

#include "app/plugin_api.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"
#include "tests/support/fault_vfs.h"

namespace {

class PhraseEntryTest : public MainWindowTest {
protected:
    LoopbackServer server;
    int travel = 0;

    void OpenEntryWindow(void (*fill)(sqlite3 *) = nullptr)
    {
        sqlite3 *db = CreateStore();
        travel = GetOrCreateCategory(db, L"Travel");
        if (fill)
            fill(db);
        sqlite3_close(db);
        ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", server.Base().c_str()));
        OpenWindow();
    }
    void Type(const wchar_t *phrase, const wchar_t *translation)
    {
        SetDlgItemTextW(window, IDC_PHRASE, phrase);
        SetDlgItemTextW(window, IDC_TRANSLATION, translation);
    }
    std::wstring Field(int id)
    {
        wchar_t text[300] = {};
        GetDlgItemTextW(window, id, text, 300);
        return text;
    }
    ::Rows Stored()
    {
        return QueryRows(shell.db, L"SELECT CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET FROM PHRASE ORDER BY ID");
    }
    void PressEnterIn(int control)
    {
        MSG message = {Item(control), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageW(window, &message));
    }
};

TEST_F(PhraseEntryTest, BothFieldsEmptyAddsNothing)
{
    OpenEntryWindow();
    Command(IDC_ADD);
    EXPECT_TRUE(Stored().empty());
    EXPECT_TRUE(ListRows().empty());
    EXPECT_TRUE(server.RequestLines().empty());
}

TEST_F(PhraseEntryTest, OnlyThePhraseAsksForTheTranslation)
{
    OpenEntryWindow();
    server.Answer(200, R"([[["hola","hello",null,null,10]],null,"en"])");
    Type(L"hello", L"");
    Command(IDC_ADD);
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /translate_a/single?client=gtx&sl=en&tl=es&dt=t&q=hello HTTP/1.1"});
    EXPECT_EQ(Stored(), (::Rows{{std::to_wstring(travel), L"1", L"2", L"hello", L"hola"}}));
    EXPECT_EQ(ListRows(), (std::vector<ListRow>{{L"hello", L"hola", 1, false}}));
    EXPECT_EQ(Field(IDC_PHRASE), L"");
    EXPECT_EQ(Field(IDC_TRANSLATION), L"");
}

TEST_F(PhraseEntryTest, OnlyTheTranslationAsksTheOtherWay)
{
    OpenEntryWindow();
    server.Answer(200, R"([[["good morning","buenos d\u00edas"]]])");
    Type(L"", L"buenos d\u00EDas");
    Command(IDC_ADD);
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /translate_a/single?client=gtx&sl=es&tl=en&dt=t&q=buenos%20d%C3%ADas HTTP/1.1"});
    EXPECT_EQ(Stored(), (::Rows{{std::to_wstring(travel), L"1", L"2", L"good morning", L"buenos d\u00EDas"}}));
}

TEST_F(PhraseEntryTest, NetworkDownStoresThePairWithThatSideEmptyAndSaysSo)
{
    OpenEntryWindow();
    wchar_t dead[64];
    _snwprintf(dead, 64, L"http://127.0.0.1:%d", UnusedLoopbackPort());
    ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", dead));
    Type(L"hello", L"");
    MessageBoxAnswerer answerer(IDOK);
    Command(IDC_ADD);
    EXPECT_EQ(Stored(), (::Rows{{std::to_wstring(travel), L"1", L"2", L"hello", L""}}));
    EXPECT_EQ(ListRows().size(), 1u);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, LoadedString(IDS_NOT_TRANSLATED));
}

TEST_F(PhraseEntryTest, EnterAddsAndFocusReturnsToThePhrase)
{
    OpenEntryWindow();
    Type(L"don't", L"no lo hagas");
    SetFocus(Item(IDC_TRANSLATION));
    PressEnterIn(IDC_TRANSLATION);
    EXPECT_TRUE(server.RequestLines().empty()) << "both sides typed: no request";
    EXPECT_EQ(Stored(), (::Rows{{std::to_wstring(travel), L"1", L"2", L"don't", L"no lo hagas"}}));
    EXPECT_EQ(Field(IDC_PHRASE), L"");
    EXPECT_EQ(Field(IDC_TRANSLATION), L"");
    EXPECT_EQ(GetFocus(), Item(IDC_PHRASE));

    // After a translation request the focus stays where it was.
    server.Answer(200, R"([["x"]])");
    Type(L"", L"s\u00ED");
    SetFocus(Item(IDC_TRANSLATION));
    Command(IDC_ADD);
    EXPECT_EQ(GetFocus(), Item(IDC_TRANSLATION));
}

TEST_F(PhraseEntryTest, SelectingARowShowsItAndUpdateRewritesIt)
{
    OpenEntryWindow([](sqlite3 *db) {
        GetOrCreateLanguage(db, L"de", L"Deutsch");
        InsertPhrase(db, 1, 3, 1, L"Hallo 'du'", L"hello you");
        InsertPhrase(db, 1, 1, 2, L"yes", L"s\u00ED");
    });
    SelectRows({0});
    EXPECT_EQ(Field(IDC_PHRASE), L"Hallo 'du'");
    EXPECT_EQ(Field(IDC_TRANSLATION), L"hello you");
    EXPECT_EQ(ComboTexts(IDC_SOURCE_LANGUAGE)[ComboSelection(IDC_SOURCE_LANGUAGE)], L"Deutsch");
    EXPECT_EQ(ComboTexts(IDC_TARGET_LANGUAGE)[ComboSelection(IDC_TARGET_LANGUAGE)], L"English");

    // One field empty: nothing changes, and both fields are emptied all the same.
    SetDlgItemTextW(window, IDC_TRANSLATION, L"");
    Command(IDC_UPDATE);
    EXPECT_EQ(Stored()[0], (std::vector<std::wstring>{L"1", L"3", L"1", L"Hallo 'du'", L"hello you"}));
    EXPECT_EQ(Field(IDC_PHRASE), L"");

    SelectRows({0});
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, 2, 0);   // Deutsch, English, Espa\u00F1ol
    Type(L"Hallo 'ihr'", L"hola a todos");
    Command(IDC_UPDATE);
    EXPECT_EQ(Stored()[0], (std::vector<std::wstring>{L"1", L"3", L"2", L"Hallo 'ihr'", L"hola a todos"}));
    EXPECT_EQ(ListRows()[0], (ListRow{L"Hallo 'ihr'", L"hola a todos", 1, true}));
    EXPECT_EQ(Field(IDC_PHRASE), L"");

    // Without a selected row nothing is updated.
    SelectRows({});
    Type(L"new", L"nuevo");
    Command(IDC_UPDATE);
    EXPECT_EQ(Stored()[1], (std::vector<std::wstring>{L"1", L"1", L"2", L"yes", L"s\u00ED"}));
    EXPECT_EQ(Field(IDC_TRANSLATION), L"");
}

// While another connection holds the store locked, nothing can be written: the pair is not shown
// as stored, a message says so, and what was typed stays in the fields.
TEST_F(PhraseEntryTest, APairTheStoreRefusesIsNeitherListedNorLost)
{
    InstallFaultVfs();
    OpenEntryWindow();
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The busy timeout runs out without its ten seconds of wall time.
    SetInstantLockWaits(true);
    {
        MessageBoxAnswerer ok(IDOK);
        Type(L"hello", L"hola");
        Command(IDC_ADD);
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_EQ(ok.seen()[0].text, L"\u7121\u6CD5\u5132\u5B58\u9019\u7D44\u8A9E\u53E5\uFF0C\u8CC7\u6599\u5EAB\u6C92\u6709\u6539\u8B8A\u3002\n" +
                                         LoadedString(IDS_STORE_BUSY));
        EXPECT_TRUE(ListRows().empty());
        EXPECT_EQ(Field(IDC_PHRASE), L"hello");
        EXPECT_EQ(Field(IDC_TRANSLATION), L"hola");
    }
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    Command(IDC_ADD);
    ASSERT_EQ(ListRows().size(), 1u);

    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SelectRows({0});
    Type(L"hello there", L"hola a todos");
    {
        MessageBoxAnswerer ok(IDOK);
        Command(IDC_UPDATE);
        EXPECT_EQ(ok.seen().size(), 1u);
    }
    EXPECT_EQ(ListRows()[0].source, L"hello") << "the row stays as stored";
    EXPECT_EQ(Field(IDC_PHRASE), L"hello there");
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    EXPECT_EQ(Stored(), (::Rows{{std::to_wstring(travel), L"1", L"2", L"hello", L"hola"}}));

    // A pair deleted by another program meanwhile is not shown as updated either.
    sqlite3_exec(locker, "DELETE FROM PHRASE", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    {
        MessageBoxAnswerer ok(IDOK);
        Command(IDC_UPDATE);
        EXPECT_EQ(ok.seen().size(), 1u);
    }
    EXPECT_EQ(ListRows()[0].source, L"hello");
    SetInstantLockWaits(false);
}

TEST_F(PhraseEntryTest, LanguagesAreSelectedByTheirFirstMatchingDescription)
{
    OpenEntryWindow([](sqlite3 *db) {
        GetOrCreateLanguage(db, L"en-gb", L"english");     // same text, other case
        InsertPhrase(db, 1, 3, 2, L"colour", L"color");
        InsertPhrase(db, 1, 0, 2, L"loose", L"suelto");
    });
    std::vector<std::wstring> languages = ComboTexts(IDC_SOURCE_LANGUAGE);
    SendDlgItemMessageW(window, IDC_SOURCE_LANGUAGE, CB_SETCURSEL, 2, 0);
    SelectRows({0});
    int selected = ComboSelection(IDC_SOURCE_LANGUAGE);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(_wcsicmp(languages[selected].c_str(), L"english"), 0);
    for (int i = 0; i < selected; i++)
        EXPECT_NE(_wcsicmp(languages[i].c_str(), L"english"), 0) << "not the first match";

    // A pair without a source language leaves both combos as they are.
    SendDlgItemMessageW(window, IDC_SOURCE_LANGUAGE, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, 0, 0);
    SelectRows({1});
    EXPECT_EQ(Field(IDC_PHRASE), L"loose");
    EXPECT_EQ(ComboSelection(IDC_SOURCE_LANGUAGE), 2);
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 0);
}

TEST_F(PhraseEntryTest, OverlongLanguageCodesAreCut)
{
    OpenEntryWindow([](sqlite3 *db) {
        RunStatement(db, L"UPDATE LANGUAGE SET CODE='abcdefghijklmnopqrstuvwxyz' WHERE ID=2");
    });
    server.Answer(200, R"([[["x","y"]]])");
    Type(L"hi", L"");
    Command(IDC_ADD);
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /translate_a/single?client=gtx&sl=en&tl=abcdefghijklmno&dt=t&q=hi HTTP/1.1"});
}

TEST_F(PhraseEntryTest, PluginTranslateMessage)
{
    OpenEntryWindow();
    server.Answer(200, R"([[["hola","hello"]]])");
    wchar_t result[128] = L"untouched";
    PluginTranslateRequest request = {L"en", L"hello", L"es", result};
    shell.pluginRunning = true;   // as while a plug-in's execute call sends it
    EXPECT_EQ(SendMessageW(window, WM_PLUGIN_TRANSLATE, 15, reinterpret_cast<LPARAM>(&request)), 0);
    EXPECT_STREQ(result, L"untouched");
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_EQ(SendMessageW(window, WM_PLUGIN_TRANSLATE, kPluginServiceTag, reinterpret_cast<LPARAM>(&request)), 0);
    EXPECT_STREQ(result, L"hola");
}

}  // namespace

namespace {

std::vector<std::wstring> SourcesOf(const std::vector<ListRow> &rows)
{
    std::vector<std::wstring> sources;
    for (const ListRow &row : rows)
        sources.push_back(row.source);
    return sources;
}

// A source changed by Update moves the row to its sorted place, with its selection and in view,
// and other selected rows keep theirs: later adds then find their places too.
TEST_F(PhraseEntryTest, AnUpdatedSourceMovesToItsSortedPlace)
{
    OpenEntryWindow([](sqlite3 *db) {
        for (const wchar_t *source : {L"apple", L"banana", L"bread", L"cherry", L"water"})
            InsertPhrase(db, 1, 1, 2, source, L"x");
    });
    HWND list = Item(IDC_PHRASE_LIST);
    SelectRows({0, 3});
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    Type(L"zebra", L"cebra");
    Command(IDC_UPDATE);
    std::vector<ListRow> rows = ListRows();
    EXPECT_EQ(SourcesOf(rows), (std::vector<std::wstring>{L"banana", L"bread", L"cherry", L"water", L"zebra"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4], (ListRow{L"zebra", L"cebra", 1, true}));
    EXPECT_TRUE(rows[2].selected) << "cherry keeps its selection";
    EXPECT_FALSE(rows[0].selected || rows[1].selected || rows[3].selected);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 4);

    // The first selected row, cherry, goes to the top past banana and bread; zebra keeps its place.
    Type(L"aardvark", L"cerdo hormiguero");
    Command(IDC_UPDATE);
    rows = ListRows();
    EXPECT_EQ(SourcesOf(rows), (std::vector<std::wstring>{L"aardvark", L"banana", L"bread", L"water", L"zebra"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (ListRow{L"aardvark", L"cerdo hormiguero", 4, true}));
    EXPECT_TRUE(rows[4].selected);
    EXPECT_FALSE(rows[1].selected || rows[2].selected || rows[3].selected);

    for (const wchar_t *source : {L"coconut", L"apricot", L"zucchini"}) {
        Type(source, L"y");
        Command(IDC_ADD);
    }
    EXPECT_EQ(SourcesOf(ListRows()), (std::vector<std::wstring>{L"aardvark", L"apricot", L"banana", L"bread",
                                                                L"coconut", L"water", L"zebra", L"zucchini"}));
}

}  // namespace

namespace {

// A store without categories (a first start, a new store): the first pair goes into "General",
// which is made, selected and listed; it never waits under a category that does not exist.
TEST_F(PhraseEntryTest, AFirstPairGoesIntoACategoryThatExists)
{
    sqlite3 *db = CreateStore();
    sqlite3_close(db);
    OpenWindow();
    ASSERT_TRUE(ComboTexts(IDC_CATEGORY).empty());
    Type(L"hello", L"hola");
    Command(IDC_ADD);
    std::wstring general = LoadedString(IDS_GENERAL_CATEGORY);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT C.DESCRIPTION,P.SOURCE FROM PHRASE P JOIN CATEGORY C ON C.ID=P.CATEGORYID"),
              (::Rows{{general, L"hello"}}));
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), std::vector<std::wstring>{general});
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 0);
    EXPECT_EQ(ListRows(), (std::vector<ListRow>{{L"hello", L"hola", 1, false}}));
    Type(L"bye", L"adi\u00F3s");
    Command(IDC_ADD);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT COUNT(*) FROM CATEGORY"), (::Rows{{L"1"}}));
    EXPECT_EQ(ListRows().size(), 2u);
}

// Pairs that another program, or an older version, left under a category that does not exist get
// an entry of their own, last in the selector: there they are listed and can be moved away.
TEST_F(PhraseEntryTest, PairsOfNoCategoryHaveAnEntryOfTheirOwn)
{
    OpenEntryWindow([](sqlite3 *db) {
        InsertPhrase(db, 1, 1, 2, L"listed", L"listado");
        InsertPhrase(db, 77, 1, 2, L"lost", L"perdido");
    });
    std::vector<std::wstring> entries = ComboTexts(IDC_CATEGORY);
    ASSERT_EQ(entries, (std::vector<std::wstring>{L"Travel", LoadedString(IDS_NO_CATEGORY)}));
    EXPECT_EQ(SourcesOf(ListRows()), std::vector<std::wstring>{L"listed"});
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_CATEGORY)));
    EXPECT_EQ(SourcesOf(ListRows()), std::vector<std::wstring>{L"lost"});
    // A pair added there goes into a category that exists.
    Type(L"found", L"encontrado");
    Command(IDC_ADD);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT C.DESCRIPTION FROM PHRASE P JOIN CATEGORY C ON C.ID=P.CATEGORYID "
                                  L"WHERE P.SOURCE='found'"),
              (::Rows{{LoadedString(IDS_GENERAL_CATEGORY)}}));
}

// Clicking a row fills the fields and Add stays the default button: Enter then must not store the
// same pair a second time.
TEST_F(PhraseEntryTest, AddingAPairTheCategoryHoldsSelectsItInstead)
{
    OpenEntryWindow([](sqlite3 *db) {
        InsertPhrase(db, 1, 1, 2, L"apple", L"manzana");
        InsertPhrase(db, 1, 1, 2, L"bread", L"pan");
    });
    SelectRows({1});
    SelectRows({0});
    SetFocus(Item(IDC_TRANSLATION));
    MessageBoxAnswerer answerer(IDOK);
    PressEnterIn(IDC_TRANSLATION);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, LoadedString(IDS_PAIR_EXISTS));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT COUNT(*) FROM PHRASE"), (::Rows{{L"2"}}));
    std::vector<ListRow> rows = ListRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].selected);
    EXPECT_FALSE(rows[1].selected);
    EXPECT_EQ(Field(IDC_PHRASE), L"apple") << "what was typed stays";
    // The same texts in other languages are another pair.
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, 0, 0);
    Command(IDC_ADD);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT COUNT(*) FROM PHRASE"), (::Rows{{L"3"}}));
}

// Texts longer than the boxes take when typed (an import stores up to 259 characters) go into
// the fields whole and come back whole.
TEST_F(PhraseEntryTest, UpdateKeepsALongPhraseWhole)
{
    static std::wstring longPhrase;
    longPhrase.clear();
    for (int i = 0; longPhrase.size() < 202; i++)
        longPhrase += L"word" + std::to_wstring(i) + L" ";
    longPhrase.resize(202);
    OpenEntryWindow([](sqlite3 *db) { InsertPhrase(db, 1, 1, 2, longPhrase.c_str(), L"short"); });
    SelectRows({0});
    EXPECT_EQ(Field(IDC_PHRASE).size(), 202u);
    SetDlgItemTextW(window, IDC_TRANSLATION, L"changed");
    Command(IDC_UPDATE);
    EXPECT_EQ(Stored()[0][3], longPhrase);
    EXPECT_EQ(Stored()[0][4], L"changed");
    EXPECT_EQ(ListRows()[0].source, longPhrase);
}

}  // namespace
