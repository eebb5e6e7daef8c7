// Selectors, the phrase list, the Delete key, the context menu and the swap commands.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/phrase_list.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"

namespace {

typedef std::vector<std::wstring> Texts;

// What the context menu offered, and the command to answer with.
struct MenuSeen {
    std::vector<std::pair<UINT, std::wstring>> items, move, copy;
    UINT answer = 0;
};
MenuSeen *g_menu = nullptr;

std::vector<std::pair<UINT, std::wstring>> MenuItems(HMENU menu)
{
    std::vector<std::pair<UINT, std::wstring>> items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        items.push_back({GetMenuItemID(menu, i), text});
    }
    return items;
}

UINT RecordMenu(HMENU popup, int, int, HWND)
{
    g_menu->items = MenuItems(popup);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    GetMenuItemInfoW(popup, IDM_LIST_MOVE, FALSE, &info);
    g_menu->move = MenuItems(info.hSubMenu);
    GetMenuItemInfoW(popup, IDM_LIST_COPY, FALSE, &info);
    g_menu->copy = MenuItems(info.hSubMenu);
    return g_menu->answer;
}

class PhraseListTest : public MainWindowTest {
protected:
    int animals = 0, food = 0, travel = 0;
    MenuSeen menu;
    int commits = 0;

    // Three categories; Food holds four pairs inserted out of order.
    void OpenSampleWindow()
    {
        sqlite3 *db = CreateStore();
        travel = GetOrCreateCategory(db, L"Travel");
        food = GetOrCreateCategory(db, L"Food");
        animals = GetOrCreateCategory(db, L"Animals");
        InsertPhrase(db, food, 1, 2, L"water", L"agua");
        InsertPhrase(db, food, 1, 2, L"bread", L"pan");
        InsertPhrase(db, food, 1, 2, L"milk", L"leche");
        InsertPhrase(db, food, 1, 2, L"apple", L"manzana");
        InsertPhrase(db, travel, 2, 1, L"tren", L"train");
        sqlite3_close(db);
        OpenWindow();
        SelectCategory(L"Food");
        RecordMenus();
        sqlite3_commit_hook(shell.db, CountCommit, &commits);
    }
    // The context menu is recorded into menu and answered with menu.answer instead of shown.
    void RecordMenus()
    {
        g_menu = &menu;
        SetPopupMenuTracker(RecordMenu);
    }
    static int CountCommit(void *counter)
    {
        ++*static_cast<int *>(counter);
        return 0;
    }
    void SelectCategory(const wchar_t *description)
    {
        LRESULT index = SendDlgItemMessageW(window, IDC_CATEGORY, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(description));
        SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, index, 0);
        Command(IDC_CATEGORY, CBN_SELCHANGE);
    }
    ::Rows StoredPairs(int category)
    {
        wchar_t sql[128];
        _snwprintf(sql, 128, L"SELECT SOURCE,CATEGORYID FROM PHRASE WHERE CATEGORYID=%d ORDER BY ID", category);
        return QueryRows(shell.db, sql);
    }
    Texts Sources() const
    {
        Texts sources;
        for (const ListRow &row : ListRows())
            sources.push_back(row.source);
        return sources;
    }
};

TEST_F(PhraseListTest, SelectorsAndListFollowTheStoreOrder)
{
    OpenSampleWindow();
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Animals", L"Food", L"Travel"}));
    EXPECT_EQ(Sources(), (Texts{L"apple", L"bread", L"milk", L"water"}));
    ASSERT_FALSE(ListRows().empty());
    EXPECT_EQ(ListRows()[0], (ListRow{L"apple", L"manzana", 4, false}));

    // The list sorts by source text whatever the insertion order.
    HWND list = Item(IDC_PHRASE_LIST);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<wchar_t *>(L"banana");
    item.lParam = 99;
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 1);

    SelectCategory(L"Travel");
    EXPECT_EQ(ListRows(), (std::vector<ListRow>{{L"tren", L"train", 5, false}}));
    Command(IDC_CATEGORY, CBN_DROPDOWN);
    EXPECT_EQ(ListRows().size(), 1u) << "only a selection change refills the list";
}

TEST_F(PhraseListTest, DeleteKeyAsksAndNoChangesNothing)
{
    OpenSampleWindow();
    SelectRows({0, 2});
    {
        MessageBoxAnswerer no(IDNO);
        PressListKey(VK_DELETE);
        ASSERT_EQ(no.seen().size(), 1u);
        EXPECT_EQ(no.seen()[0].caption, L"Words - Lingotrove");
        EXPECT_EQ(no.seen()[0].text, L"\u60A8\u78BA\u5B9A\u8981\u522A\u9664\u5DF2\u9078\u64C7\u7684\u9805\u76EE\u55CE?");
    }
    EXPECT_EQ(Sources(), (Texts{L"apple", L"bread", L"milk", L"water"}));
    EXPECT_EQ(StoredPairs(food).size(), 4u);
    EXPECT_EQ(commits, 0);
}

TEST_F(PhraseListTest, DeleteKeyWithYesDeletesTheSelectedRowsInOneTransaction)
{
    OpenSampleWindow();
    SelectRows({0, 1, 3});
    MessageBoxAnswerer yes(IDYES);
    PressListKey(VK_DELETE);
    EXPECT_EQ(yes.seen().size(), 1u);
    EXPECT_EQ(ListRows(), (std::vector<ListRow>{{L"milk", L"leche", 3, false}}));
    EXPECT_EQ(StoredPairs(food), (::Rows{{L"milk", std::to_wstring(food)}}));
    EXPECT_EQ(commits, 1);

    PressListKey(VK_INSERT);
    EXPECT_EQ(yes.seen().size(), 1u) << "other keys do nothing";
}

TEST_F(PhraseListTest, ContextMenuOffersTheOtherCategories)
{
    OpenSampleWindow();
    RightClickList();
    EXPECT_EQ(menu.items, (std::vector<std::pair<UINT, std::wstring>>{
                              {IDM_LIST_DELETE, L"\u522A\u9664\u5DF2\u9078\u64C7\u7684\u9805\u76EE"},
                              {0, L""},
                              {static_cast<UINT>(-1), L"\u8907\u88FD\u5DF2\u9078\u64C7\u7684\u9805\u76EE\u81F3 :"},
                              {static_cast<UINT>(-1), L"\u79FB\u52D5\u5DF2\u9078\u64C7\u7684\u9805\u76EE\u81F3 :"}}));
    typedef std::vector<std::pair<UINT, std::wstring>> Items;
    EXPECT_EQ(menu.move, (Items{{100u + animals, L"Animals"}, {100u + travel, L"Travel"}}));
    EXPECT_EQ(menu.copy, (Items{{500u + animals, L"Animals"}, {500u + travel, L"Travel"}}));
}

TEST_F(PhraseListTest, ContextMenuOfAOneCategoryStoreHasEmptySubmenus)
{
    sqlite3 *db = CreateStore();
    int only = GetOrCreateCategory(db, L"Only");
    InsertPhrase(db, only, 1, 2, L"one", L"uno");
    sqlite3_close(db);
    OpenWindow();
    RecordMenus();
    RightClickList();
    EXPECT_EQ(menu.items.size(), 4u);
    EXPECT_TRUE(menu.move.empty());
    EXPECT_TRUE(menu.copy.empty());
}

// The menu's Delete asks as the Delete key does: No keeps the rows, Yes deletes them.
TEST_F(PhraseListTest, ContextMenuDeleteAsksAsTheDeleteKeyDoes)
{
    OpenSampleWindow();
    SelectRows({1, 2});
    menu.answer = IDM_LIST_DELETE;
    {
        MessageBoxAnswerer no(IDNO);
        RightClickList();
        ASSERT_EQ(no.seen().size(), 1u);
        EXPECT_EQ(no.seen()[0].text, LoadedString(IDS_CONFIRM_DELETE));
        EXPECT_EQ(ListRows().size(), 4u);
        EXPECT_EQ(commits, 0);
    }
    MessageBoxAnswerer yes(IDYES);
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"apple", L"water"}));
    EXPECT_EQ(StoredPairs(food).size(), 2u);
    EXPECT_EQ(commits, 1);
}

// Shift+F10 and the Menu key send WM_CONTEXTMENU without a position: the menu opens at the
// focused row, and what is chosen there is done.
TEST_F(PhraseListTest, TheKeyboardOpensTheContextMenuAtTheFocusedRow)
{
    OpenSampleWindow();
    SelectRows({0, 3});
    HWND list = Item(IDC_PHRASE_LIST);
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    static POINT shownAt;
    static UINT moveToAnimals;
    shownAt = {-1, -1};
    moveToAnimals = 100 + animals;
    SetPopupMenuTracker([](HMENU, int x, int y, HWND) -> UINT {
        shownAt = {x, y};
        return moveToAnimals;
    });
    RECT row = {};
    row.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row)));
    POINT below = {row.left, row.bottom};
    ClientToScreen(list, &below);
    SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    EXPECT_EQ(shownAt.x, below.x);
    EXPECT_EQ(shownAt.y, below.y) << "just below the focused row";
    EXPECT_EQ(Sources(), (Texts{L"bread", L"milk"})) << "and its move was done";
}

TEST_F(PhraseListTest, DismissedMenuChangesNothing)
{
    OpenSampleWindow();
    SelectRows({0});
    menu.answer = 0;
    RightClickList();
    EXPECT_EQ(ListRows().size(), 4u);
    EXPECT_EQ(commits, 0);
}

TEST_F(PhraseListTest, MoveTakesTheRowsToTheOtherCategory)
{
    OpenSampleWindow();
    SelectRows({0, 3});
    menu.answer = 100 + animals;
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"bread", L"milk"}));
    EXPECT_EQ(StoredPairs(animals), (::Rows{{L"water", std::to_wstring(animals)},
                                          {L"apple", std::to_wstring(animals)}}));
    EXPECT_EQ(commits, 1);
    SelectCategory(L"Animals");
    EXPECT_EQ(Sources(), (Texts{L"apple", L"water"}));
}

TEST_F(PhraseListTest, CopyLeavesTheRowsSelectedAndAddsThemToTheOtherCategory)
{
    OpenSampleWindow();
    SelectRows({1, 2});
    menu.answer = 500 + travel;
    RightClickList();
    std::vector<ListRow> rows = ListRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[1].selected && rows[2].selected);
    EXPECT_FALSE(rows[0].selected || rows[3].selected);
    EXPECT_EQ(StoredPairs(food).size(), 4u);
    EXPECT_EQ(commits, 1);
    SelectCategory(L"Travel");
    EXPECT_EQ(Sources(), (Texts{L"bread", L"milk", L"tren"}));
}

TEST_F(PhraseListTest, CategoryIdsFrom400OnDoNotTurnAMoveIntoACopy)
{
    sqlite3 *db = CreateStore();
    int home = GetOrCreateCategory(db, L"Home");
    RunStatement(db, L"INSERT INTO CATEGORY (ID,DESCRIPTION) VALUES (450,'Big')");
    RunStatement(db, L"INSERT INTO CATEGORY (ID,DESCRIPTION) VALUES (50,'Small')");
    InsertPhrase(db, home, 1, 2, L"one", L"uno");
    InsertPhrase(db, home, 1, 2, L"two", L"dos");
    sqlite3_close(db);
    OpenWindow();
    SelectCategory(L"Home");
    RecordMenus();

    RightClickList();
    ASSERT_EQ(menu.move.size(), 2u);
    ASSERT_EQ(menu.copy.size(), 2u);
    EXPECT_EQ(menu.move[1], (std::pair<UINT, std::wstring>{150, L"Small"}));
    std::vector<UINT> commands = {menu.move[0].first, menu.move[1].first, menu.copy[0].first,
                                  menu.copy[1].first, IDM_LIST_DELETE};
    std::sort(commands.begin(), commands.end());
    EXPECT_EQ(std::unique(commands.begin(), commands.end()), commands.end()) << "commands collide";

    SelectRows({0});
    menu.answer = menu.copy[0].first;   // copy "one" to Big
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"one", L"two"}));
    EXPECT_EQ(StoredPairs(450), (::Rows{{L"one", L"450"}}));

    SelectRows({1});
    menu.answer = menu.move[0].first;   // move "two" to Big
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"one"}));
    EXPECT_EQ(StoredPairs(450), (::Rows{{L"two", L"450"}, {L"one", L"450"}}));
}

TEST_F(PhraseListTest, RefillKeepsTheSelectedRecordOrFallsBackToItsIndex)
{
    OpenSampleWindow();
    // Food (index 1) is renamed and sorts last: it stays selected at its new place.
    UpdateCategory(shell.db, food, L"Zoo food");
    RefillSelector(window, shell.db, TRUE, IDC_CATEGORY, TRUE);
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Animals", L"Travel", L"Zoo food"}));
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 2);

    // Deleted: the category now at its old index is selected.
    DeleteCategory(shell.db, food, 0);
    RefillSelector(window, shell.db, TRUE, IDC_CATEGORY, TRUE);
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Animals", L"Travel"}));
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), -1) << "index 2 no longer exists";

    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 0, 0);
    DeleteCategory(shell.db, animals, 0);
    RefillSelector(window, shell.db, TRUE, IDC_CATEGORY, TRUE);
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 0);
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Travel"}));

    // Without keep: index 1 for the target language, 0 elsewhere.
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(window, IDC_SOURCE_LANGUAGE, CB_SETCURSEL, 1, 0);
    RefillLanguageSelectors(window, shell.db, FALSE);
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1);
    EXPECT_EQ(ComboSelection(IDC_SOURCE_LANGUAGE), 0);

    // With keep and no selection, the defaults apply.
    SendDlgItemMessageW(window, IDC_TARGET_LANGUAGE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    RefillLanguageSelectors(window, shell.db, TRUE);
    EXPECT_EQ(ComboSelection(IDC_TARGET_LANGUAGE), 1);
}

TEST_F(PhraseListTest, NoCategoriesShowsThePairsOfNoCategory)
{
    sqlite3 *db = CreateStore();
    InsertPhrase(db, 0, 1, 2, L"loose", L"suelto");
    InsertPhrase(db, -1, 1, 2, L"minus", L"menos");
    sqlite3_close(db);
    OpenWindow();
    EXPECT_EQ(ComboTexts(IDC_CATEGORY), std::vector<std::wstring>{LoadedString(IDS_NO_CATEGORY)});
    EXPECT_EQ(ComboSelection(IDC_CATEGORY), 0);
    EXPECT_EQ(ListRows(), (std::vector<ListRow>{{L"loose", L"suelto", 1, false}, {L"minus", L"menos", 2, false}}));
}

TEST_F(PhraseListTest, SwapCommandsExchangeTheSidesAndRefillTheList)
{
    OpenSampleWindow();
    Command(IDM_SWAP_CATEGORY);
    EXPECT_EQ(Sources(), (Texts{L"agua", L"leche", L"manzana", L"pan"}));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE FROM PHRASE WHERE CATEGORYID=1"), (::Rows{{L"tren"}}));

    Command(IDM_SWAP_ALL);
    EXPECT_EQ(Sources(), (Texts{L"apple", L"bread", L"milk", L"water"}));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE,SLANGUAGEID FROM PHRASE WHERE CATEGORYID=1"),
              (::Rows{{L"train", L"1"}}));

    // No category selected: the command for the current category swaps them all.
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Command(IDM_SWAP_CATEGORY);
    EXPECT_TRUE(ListRows().empty());
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE FROM PHRASE WHERE CATEGORYID=1"), (::Rows{{L"tren"}}));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE FROM PHRASE WHERE ID=1"), (::Rows{{L"agua"}}));
}

}  // namespace

namespace {

// Pairs typed before any category existed (category 0), or left with an id that names no
// category, are listed when no category is selected, and can be moved into one.
// Pairs an older version stored under category 0, or another program under one that is gone, are
// listed under their own entry and can be moved from there.
TEST_F(PhraseListTest, PairsOfNoCategoryAreListedUnderTheirEntry)
{
    sqlite3 *db = CreateStore();
    int food = GetOrCreateCategory(db, L"Food");
    InsertPhrase(db, 0, 1, 2, L"hello", L"hola");
    InsertPhrase(db, food, 1, 2, L"bread", L"pan");
    InsertPhrase(db, 404, 1, 2, L"lost", L"perdido");
    sqlite3_close(db);
    OpenWindow();
    RecordMenus();
    EXPECT_EQ(Sources(), (Texts{L"bread"})) << "Food is selected at the start";
    ASSERT_EQ(ComboTexts(IDC_CATEGORY), (Texts{L"Food", LoadedString(IDS_NO_CATEGORY)}));
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
    Command(IDC_CATEGORY, CBN_SELCHANGE);
    EXPECT_EQ(Sources(), (Texts{L"hello", L"lost"}));

    RightClickList();
    ASSERT_EQ(menu.move.size(), 1u);
    SelectRows({1});
    menu.answer = menu.move[0].first;   // move "lost" into Food
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"hello"}));
    EXPECT_EQ(StoredPairs(food), (::Rows{{L"bread", std::to_wstring(food)}, {L"lost", std::to_wstring(food)}}));
}

}  // namespace

namespace {

// Another program may store pairs with IDs beyond 32 bits: each is deleted, moved and rated as
// itself, never as the pair its ID would be cut to.
TEST_F(PhraseListTest, IdsBeyondThirtyTwoBitsNameTheirOwnPairs)
{
    sqlite3 *db = CreateStore();
    int food = GetOrCreateCategory(db, L"Food");
    int other = GetOrCreateCategory(db, L"Other");
    RunStatement(db, L"INSERT INTO PHRASE VALUES (5,1,1,2,'apple','manzana')");
    RunStatement(db, L"INSERT INTO PHRASE VALUES (4294967301,1,1,2,'bread','pan')");
    RunStatement(db, L"INSERT INTO PHRASE VALUES (8589934597,1,1,2,'cherry','cereza')");
    ASSERT_EQ(food, 1);
    sqlite3_close(db);
    OpenWindow();
    RecordMenus();
    ASSERT_EQ(Sources(), (Texts{L"apple", L"bread", L"cherry"}));

    SelectRows({1});
    {
        MessageBoxAnswerer yes(IDYES);
        PressListKey(VK_DELETE);
    }
    SelectRows({1});
    menu.answer = 100 + other;
    RightClickList();
    EXPECT_EQ(Sources(), (Texts{L"apple"}));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT ID,CATEGORYID FROM PHRASE ORDER BY ID"),
              (::Rows{{L"5", L"1"}, {L"8589934597", std::to_wstring(other)}}));
}

}  // namespace

namespace {

// Every column says what it holds, for the eye and for a screen reader.
TEST_F(PhraseListTest, TheListsColumnsHaveHeadings)
{
    OpenSampleWindow();
    HWND header = reinterpret_cast<HWND>(SendMessageW(Item(IDC_PHRASE_LIST), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    std::vector<std::wstring> headings;
    for (int i = 0; i < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); i++) {
        wchar_t text[64] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        headings.push_back(text);
    }
    EXPECT_EQ(headings, (Texts{LoadedString(IDS_COLUMN_PHRASE), LoadedString(IDS_COLUMN_TRANSLATION)}));
}

}  // namespace

namespace {

// Swapping the sides of "this category" on the entry of the pairs of no category swaps those
// pairs, and no others: that entry never stands for every category.
TEST_F(PhraseListTest, SwappingOnTheEntryOfNoCategorySwapsOnlyThosePairs)
{
    sqlite3 *db = CreateStore();
    int food = GetOrCreateCategory(db, L"Food");
    InsertPhrase(db, food, 1, 2, L"bread", L"pan");
    InsertPhrase(db, 404, 1, 2, L"lost", L"perdido");
    sqlite3_close(db);
    OpenWindow();
    SendDlgItemMessageW(window, IDC_CATEGORY, CB_SETCURSEL, 1, 0);
    Command(IDC_CATEGORY, CBN_SELCHANGE);
    Command(IDM_SWAP_CATEGORY);
    EXPECT_EQ(Sources(), (Texts{L"perdido"}));
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE FROM PHRASE ORDER BY ID"), (::Rows{{L"bread"}, {L"perdido"}}));
}

}  // namespace
