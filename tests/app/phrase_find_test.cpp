// The phrase list at 100,000 rows: the system's Find dialog, Find Next (command and F3), Ctrl+F,
// type-ahead, and rows added above a selection.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/phrase_find.h"
#include "app/phrase_rows.h"
#include "common/dialogs.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"

namespace {

constexpr int kPairs = 100000;

// The Find dialog's controls, as the common dialog templates number them.
constexpr int kFindWhat = 0x480;     // edt1
constexpr int kMatchCase = 0x411;    // chx2

std::wstring Numbered(const wchar_t *prefix, int number)
{
    wchar_t text[32];
    _snwprintf(text, 32, L"%s %06d", prefix, number);
    return text;
}

// A found dialog of this thread owned by the main window: the Find dialog.
struct OwnedDialog {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND candidate, LPARAM parameter)
{
    OwnedDialog *search = reinterpret_cast<OwnedDialog *>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(candidate, className, 16);
    if (wcscmp(className, L"#32770") == 0 && GetWindow(candidate, GW_OWNER) == search->owner &&
        IsWindowVisible(candidate)) {
        search->found = candidate;
        return FALSE;
    }
    return TRUE;
}

class PhraseFindTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ForgetPhraseFind();
    }
    // One category of 100,000 pairs "texto 000000" / "text 000000" on, stored in shuffled order.
    void OpenLargeWindow()
    {
        sqlite3 *db = CreateStore();
        int category = GetOrCreateCategory(db, L"Large");
        RunStatement(db, L"Begin");
        for (int i = 0; i < kPairs; i++) {
            int number = static_cast<int>((static_cast<long long>(i) * 7919) % kPairs);
            InsertPhrase(db, category, 1, 2, Numbered(L"texto", number).c_str(), Numbered(L"text", number).c_str());
        }
        RunStatement(db, L"Commit");
        sqlite3_close(db);
        OpenWindow();
    }
    typedef std::vector<std::pair<const wchar_t *, const wchar_t *>> Pairs;
    // A store of one category holding pairs, shown in the main window.
    void OpenOneCategory(const Pairs &pairs)
    {
        sqlite3 *db = CreateStore();
        int category = GetOrCreateCategory(db, L"Words");
        for (const auto &pair : pairs)
            InsertPhrase(db, category, 1, 2, pair.first, pair.second);
        sqlite3_close(db);
        OpenWindow();
    }
    HWND List() const { return Item(IDC_PHRASE_LIST); }
    int Focused() const
    {
        return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    }
    std::vector<int> Selected() const
    {
        std::vector<int> rows;
        for (int row = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
             row != -1; row = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, row, LVNI_SELECTED)))
            rows.push_back(row);
        return rows;
    }
    std::wstring Text(int row, int column) const
    {
        wchar_t text[128] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(List(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The one selected row's source, which must also be the focused row and in view.
    std::wstring FoundSource() const
    {
        std::vector<int> selected = Selected();
        if (selected.size() != 1 || selected[0] != Focused())
            return L"(not one focused selection)";
        int top = static_cast<int>(SendMessageW(List(), LVM_GETTOPINDEX, 0, 0));
        int page = static_cast<int>(SendMessageW(List(), LVM_GETCOUNTPERPAGE, 0, 0));
        if (selected[0] < top || selected[0] > top + page)
            return L"(out of view)";
        return Text(selected[0], 0);
    }
    HWND FindDialog() const
    {
        OwnedDialog search = {window, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Types text into the open Find dialog, sets Match case and presses its Find Next button.
    void FindWithDialog(const wchar_t *text, bool matchCase)
    {
        HWND dialog = FindDialog();
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, kFindWhat, text);
        CheckDlgButton(dialog, kMatchCase, matchCase ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    // A key as the main window's modal loop hands it on: through the dialog message filter.
    BOOL FilterKey(HWND target, UINT key, bool control)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message = {target, WM_KEYDOWN, key, 0, 0, {}};
        BOOL taken = CallMsgFilterW(&message, MSGF_DIALOGBOX);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        return taken;
    }
};

TEST_F(PhraseFindTest, TheFindDialogFindsAmongAHundredThousandRowsAndFindNextGoesOn)
{
    OpenLargeWindow();
    ASSERT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), kPairs);
    EXPECT_EQ(Text(0, 0), L"texto 000000");
    EXPECT_EQ(Text(kPairs - 1, 1), L"text 099999");

    Command(IDM_FIND);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    Command(IDM_FIND);
    EXPECT_EQ(FindDialog(), dialog) << "one Find dialog at a time";

    FindWithDialog(L"texto 077777", false);
    EXPECT_EQ(FoundSource(), L"texto 077777");
    wchar_t shown[64] = {};
    GetDlgItemTextW(window, IDC_PHRASE, shown, 64);
    EXPECT_STREQ(shown, L"texto 077777") << "the found pair is shown as a clicked one";
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";

    // Case ignored; the search goes on after the focused row and wraps round once.
    FindWithDialog(L"TEXT 01234", false);
    EXPECT_EQ(FoundSource(), L"texto 012340");
    Command(IDM_FIND_NEXT);
    EXPECT_EQ(FoundSource(), L"texto 012341");
    FindWithDialog(L"TEXT 01234", false);
    EXPECT_EQ(FoundSource(), L"texto 012342");
    EXPECT_TRUE(FilterKey(List(), VK_F3, false));
    EXPECT_EQ(FoundSource(), L"texto 012343");

    // Match case: nothing matches, it is said, and the selection stays.
    {
        MessageBoxAnswerer answerer(IDOK);
        FindWithDialog(L"TEXT 01234", true);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_NE(answerer.seen()[0].text.find(L"TEXT 01234"), std::wstring::npos) << answerer.seen()[0].text.c_str();
    }
    EXPECT_EQ(FoundSource(), L"texto 012343");
    FindWithDialog(L"text 09999", true);
    EXPECT_EQ(FoundSource(), L"texto 099990");

    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(dialog));
    Command(IDM_FIND_NEXT);
    EXPECT_EQ(FoundSource(), L"texto 099991") << "Find Next without the dialog repeats the last search";
}

TEST_F(PhraseFindTest, F3AndCtrlFWorkAnywhereInTheMainWindow)
{
    OpenLargeWindow();
    // F3 before any search opens the dialog; so does Ctrl+F from any control of the main window.
    EXPECT_TRUE(FilterKey(List(), VK_F3, false));
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(FindDialog(), nullptr);
    EXPECT_FALSE(FilterKey(List(), 'F', false)) << "a plain F is typing";
    EXPECT_TRUE(FilterKey(Item(IDC_TRANSLATION), 'F', true));
    EXPECT_NE(FindDialog(), nullptr);

}

TEST_F(PhraseFindTest, CtrlFReachesTheProgramThroughItsModalLoop)
{
    sqlite3_close(CreateStore());
    ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, dbPath.c_str()));
    HWND main = nullptr;
    HWND findOwner = nullptr;
    DialogDriver driver([&](HWND dialog) {
        if (!main) {
            // Queued as the keyboard would: the loop takes the key first, then the Cancel.
            main = dialog;
            PostMessageW(GetDlgItem(dialog, IDC_TRANSLATION), WM_KEYDOWN, 'F', 1);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        } else {
            findOwner = GetWindow(dialog, GW_OWNER);
        }
    });
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                    reinterpret_cast<LPARAM>(&shell));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_NE(main, nullptr);
    EXPECT_EQ(findOwner, main) << "Ctrl+F in the running program opens the Find dialog";
}

TEST_F(PhraseFindTest, FewRowsAccentsAndTypeAhead)
{
    OpenOneCategory({{L"Stra\u00DFe", L""}, {L"\u00C9t\u00E9", L"summer"}});
    HWND list = List();
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    MessageBoxAnswerer answerer(IDOK);
    Command(IDM_FIND);
    FindWithDialog(L"\u00E9T\u00C9", false);
    EXPECT_EQ(FoundSource(), L"\u00C9t\u00E9") << "case folding beyond ASCII";
    FindWithDialog(L"winter", false);
    EXPECT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(FoundSource(), L"\u00C9t\u00E9");

    // Typing the first letters of a phrase in the list jumps to the first row that starts so,
    // case ignored.
    SetFocus(list);
    for (wchar_t letter : std::wstring(L"sT"))
        SendMessageW(list, WM_CHAR, letter, 1);
    EXPECT_EQ(Text(Focused(), 0), L"Stra\u00DFe");
}

// Each case opens its own store and sets its own search text, so none depends on another's.
TEST_F(PhraseFindTest, FindsFromTheFocusedRowAsTheUsersLanguageReadsCase)
{
    struct Case {
        const char *what;
        Pairs pairs;
        int focused;            // -1: none
        const wchar_t *wanted;
        const wchar_t *found;   // null: not found
    } cases[] = {
        {"round from the last row", {{L"apple", L"a"}, {L"banana", L"b"}, {L"cherry", L"c"}}, 2, L"APPLE", L"apple"},
        {"a match only in the focused row", {{L"apple", L"a"}, {L"banana", L"b"}}, 1, L"banana", L"banana"},
        {"an empty list", {}, -1, L"x", nullptr},
        {"one row", {{L"kiwi", L"k"}}, -1, L"KIW", L"kiwi"},
        {"a match only in the target", {{L"gato", L"cat"}, {L"perro", L"dog"}}, 0, L"DOG", L"perro"},
        {"\u00D1 and \u00F1", {{L"casa", L"house"}, {L"NI\u00D1O", L"child"}}, 0, L"ni\u00F1o", L"NI\u00D1O"},
        {"\u0130 and i", {{L"Ankara", L"a"}, {L"\u0130stanbul", L"i"}}, 0, L"istanbul", L"\u0130stanbul"},
        {"\u00DF and SS", {{L"Stra\u00DFe", L"street"}, {L"Weg", L"way"}}, 1, L"STRASSE", L"Stra\u00DFe"},
        {"\u03C3 and \u03C2", {{L"\u03BB\u03CC\u03B3\u03BF\u03C2", L"word"}}, -1, L"\u039B\u038C\u0393\u039F\u03A3",
         L"\u03BB\u03CC\u03B3\u03BF\u03C2"},
        {"a decomposed \u00E9 found by a composed one", {{L"cafe\u0301", L"coffee"}, {L"t\u00E9", L"tea"}}, 1,
         L"CAF\u00C9", L"cafe\u0301"},
        {"a composed \u00E9 found by a decomposed one", {{L"caf\u00E9", L"coffee"}}, -1, L"CAFE\u0301",
         L"caf\u00E9"},
        {"an accent still counts", {{L"caf\u00E9", L"coffee"}}, -1, L"cafe ", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        window = nullptr;
        shell = {};
        DeleteFileW(dbPath.c_str());
        SetUp();
        OpenOneCategory(c.pairs);
        if (c.focused != -1) {
            LVITEMW item = {};
            item.stateMask = LVIS_FOCUSED;
            item.state = LVIS_FOCUSED;
            SendMessageW(List(), LVM_SETITEMSTATE, c.focused, reinterpret_cast<LPARAM>(&item));
        }
        int expected = -1;
        for (int row = 0; c.found && row < static_cast<int>(c.pairs.size()); row++) {
            if (Text(row, 0) == c.found)
                expected = row;
        }
        EXPECT_EQ(FindPhraseRow(List(), c.wanted, false, c.focused), expected);
        // Wine's Find dialog hands its text on through the ANSI code page: only texts that
        // survive it are also asked through the dialog.
        std::wstring wanted = c.wanted;
        if (std::any_of(wanted.begin(), wanted.end(), [](wchar_t unit) { return unit > 0xFF; }))
            continue;
        MessageBoxAnswerer answerer(IDOK);
        Command(IDM_FIND);
        FindWithDialog(c.wanted, false);
        EXPECT_EQ(answerer.seen().size(), c.found ? 0u : 1u);
        if (c.found) {
            EXPECT_EQ(FoundSource(), c.found);
        }
    }
}

// Typing ahead in the list ignores case as Find does.
TEST_F(PhraseFindTest, TypeAheadIgnoresCaseAsFindDoes)
{
    OpenOneCategory({{L"Ankara", L"x"}, {L"\u0130stanbul", L"x"}, {L"Stra\u00DFe", L"x"}, {L"Weg", L"x"}});
    struct Case {
        const wchar_t *typed;
        bool partial;
        int row;
    } cases[] = {{L"istan", true, 1}, {L"STRASSE", false, 2}, {L"strass", true, 2}, {L"stras", true, 2},
                 {L"wege", true, -1}, {L"ANKARA", false, 0}};
    for (const Case &c : cases) {
        LVFINDINFOW find = {};
        find.flags = c.partial ? LVFI_PARTIAL | LVFI_STRING : LVFI_STRING;
        find.psz = c.typed;
        EXPECT_EQ(SendMessageW(List(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), c.row)
            << std::string(c.typed, c.typed + wcslen(c.typed));
    }
}

// The Find message is registered, so any program can send it: the main window takes only its own
// Find dialog's.
TEST_F(PhraseFindTest, AFindMessageFromElsewhereIsIgnored)
{
    OpenOneCategory({{L"apple", L"x"}});
    Command(IDM_FIND);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    FindWithDialog(L"apple", false);
    ASSERT_EQ(FoundSource(), L"apple");
    SelectRows({});

    UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    wchar_t text[16] = L"apple";
    FINDREPLACEW foreign = {};
    foreign.lStructSize = sizeof foreign;
    foreign.Flags = FR_FINDNEXT;
    foreign.lpstrFindWhat = text;
    foreign.wFindWhatLen = 16;
    MessageBoxAnswerer answerer(IDOK);
    SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(&foreign));
    EXPECT_TRUE(Selected().empty()) << "a search asked for by another record";
    foreign.Flags = FR_DIALOGTERM;
    SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(&foreign));
    SendMessageW(window, message, 0, 0x10);
    EXPECT_TRUE(answerer.seen().empty());
    // The dialog is still known as open: Ctrl+F brings it back rather than opening a second one.
    Command(IDM_FIND);
    EXPECT_EQ(FindDialog(), dialog);
    DestroyWindow(dialog);
    EXPECT_EQ(FindDialog(), nullptr) << "only one Find dialog was open";
}

int g_filterCalls = 0;
HHOOK g_countingFilter = nullptr;

LRESULT CALLBACK CountFilterCalls(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0)
        g_filterCalls++;
    return CallNextHookEx(g_countingFilter, code, wParam, lParam);
}

// The main window's message filter hands keys to the Find dialog through IsDialogMessageW, which
// runs the thread's message filters again: the filter must not then call it once more, and again.
TEST_F(PhraseFindTest, TheMessageFilterDoesNotCallItself)
{
    sqlite3_close(CreateStore());
    OpenWindow();
    Command(IDM_FIND);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    // Installed after the program's filter, so called before it, at every depth.
    g_filterCalls = 0;
    g_countingFilter = SetWindowsHookExW(WH_MSGFILTER, CountFilterCalls, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_countingFilter, nullptr);
    MSG key = {GetDlgItem(dialog, kFindWhat), WM_KEYDOWN, 'X', 0, 0, {}};
    CallMsgFilterW(&key, MSGF_DIALOGBOX);
    UnhookWindowsHookEx(g_countingFilter);
    EXPECT_EQ(g_filterCalls, 2) << "the key itself, and once from IsDialogMessageW";
}

TEST_F(PhraseFindTest, ARowAddedAboveTheSelectionLeavesTheSelectionWithItsPair)
{
    OpenOneCategory({{L"milk", L"x"}, {L"apple", L"x"}, {L"water", L"x"}, {L"bread", L"x"}});
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    item.stateMask = LVIS_SELECTED;
    SendMessageW(List(), LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&item));
    ASSERT_EQ(Text(2, 0), L"milk");

    SetDlgItemTextW(window, IDC_PHRASE, L"banana");
    SetDlgItemTextW(window, IDC_TRANSLATION, L"pl\u00E1tano");
    Command(IDC_ADD);
    std::vector<std::wstring> sources;
    for (int row = 0; row < SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0); row++)
        sources.push_back(Text(row, 0));
    EXPECT_EQ(sources, (std::vector<std::wstring>{L"apple", L"banana", L"bread", L"milk", L"water"}));
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4}));
    EXPECT_EQ(Focused(), 3);

    // Deleting a row above moves them back up with their pairs; a selected row above it stays.
    SendMessageW(List(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(List(), LVM_DELETEITEM, 1, 0);
    EXPECT_EQ(Text(2, 0), L"milk");
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Focused(), 2);
}

}  // namespace

namespace {

// The Find dialog opens where it hides no row of the list, and once it is closed the focus is in
// the list on the row found.
TEST_F(PhraseFindTest, TheDialogHidesNoRowAndClosingFocusesTheFoundRow)
{
    OpenLargeWindow();
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Command(IDM_FIND);
    HWND dialog = FindDialog();
    ASSERT_NE(dialog, nullptr);
    RECT list, found, overlap;
    GetWindowRect(List(), &list);
    GetWindowRect(dialog, &found);
    EXPECT_FALSE(IntersectRect(&overlap, &list, &found)) << "the dialog covers part of the list";
    FindWithDialog(L"texto 000042", false);
    ASSERT_EQ(FoundSource(), L"texto 000042");
    SetFocus(GetDlgItem(window, IDC_UPDATE));
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(GetFocus(), List());
    EXPECT_EQ(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 42);
}

}  // namespace
