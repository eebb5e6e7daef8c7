// The quiz window created from the real dialog resource and driven with window messages.
#include "tests/speech/speech_test_support.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>

#include "app/main_window.h"
#include "app/shell.h"
#include "common/settings.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "speech/sound_workers.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"
#include "tests/support/program_process.h"

namespace {

const std::wstring kExam = L"\u8003\u8A66 - ";     // "Exam - "

struct Pair {
    const wchar_t *source, *target;
};

class QuizTest : public SpeechTest {
protected:
    sqlite3 *db = nullptr;
    QuizState state = {};
    HWND dialog = nullptr;

    void SetUp() override
    {
        SpeechTest::SetUp();
        db = OpenPhraseStore(folder.File(L"Quiz.db").c_str(), true);
        server.Answer(404, "");
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        sqlite3_close(db);
        SpeechTest::TearDown();
    }
    int Category(const wchar_t *name, const std::vector<Pair> &pairs)
    {
        int category = GetOrCreateCategory(db, name);
        RunStatement(db, L"BEGIN");
        for (const Pair &pair : pairs)
            InsertPhrase(db, category, 1, 2, pair.source, pair.target);
        RunStatement(db, L"COMMIT");
        return category;
    }
    // A category of count pairs prefix0, prefix1, ... each answered by its own text.
    int NumberedCategory(const wchar_t *name, const wchar_t *prefix, int count)
    {
        std::vector<std::wstring> texts;
        for (int i = 0; i < count; i++)
            texts.push_back(prefix + std::to_wstring(i));
        std::vector<Pair> pairs;
        for (const std::wstring &text : texts)
            pairs.push_back({text.c_str(), text.c_str()});
        return Category(name, pairs);
    }
    // The quiz window from the dialog resource of module: the program's own, or another interface.
    void Open(int category, bool reverse = false, HMODULE module = GetResourceModule())
    {
        state = QuizState();
        state.db = db;
        state.categoryId = category;
        state.reverse = reverse ? 1 : 0;
        dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_QUIZ), nullptr, QuizWindowProc,
                                    reinterpret_cast<LPARAM>(&state));
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        SetForegroundWindow(dialog);    // where the keys pressed go
    }
    HWND Control(int row, QuizControl kind) { return QuizRowControl(dialog, row, kind); }
    std::wstring Text(HWND window)
    {
        int length = GetWindowTextLengthW(window);
        std::wstring text(length + 1, L'\0');
        GetWindowTextW(window, &text[0], length + 1);
        text.resize(length);
        return text;
    }
    bool Visible(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
    // The row that asks text, -1 when there is none.
    int RowAsking(const std::wstring &asked)
    {
        for (int r = 0; r < state.rows; r++)
            if (Text(Control(r, QuizLabel)) == asked)
                return r;
        return -1;
    }
    void Type(int row, const std::wstring &text)
    {
        HWND box = Control(row, QuizAnswerBox);
        for (wchar_t c : text)
            SendMessageW(box, WM_CHAR, c, 1);
    }
    void Backspace(int row) { SendMessageW(Control(row, QuizAnswerBox), WM_CHAR, VK_BACK, 1); }
    void Focus(HWND control) { SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }
    // Delivers what is waiting for the test thread the way the modal loop of a dialog does.
    void RunMessageLoop()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    // Presses a key, with Shift held when asked, as real keyboard input to the focused window.
    void Press(WORD key, bool shift = false)
    {
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, DWORD flags) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (shift)
            add(VK_SHIFT, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        if (shift)
            add(VK_SHIFT, KEYEVENTF_KEYUP);
        ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
        RunMessageLoop();
    }
    void Click(HWND button)
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
    std::wstring Title() { return Text(dialog); }
    // Whether the clock still runs: stopping it again fails once it has been stopped.
    bool ClockRuns() { return KillTimer(dialog, 723) != FALSE; }
    int LargestScrollPos()
    {
        SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(dialog, SB_VERT, &info);
        return info.nMax - static_cast<int>(info.nPage) + 1;
    }
    int ScrollPos()
    {
        SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(dialog, SB_VERT, &info);
        return info.nPos;
    }
    int Top(HWND control)
    {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
        return rect.top;
    }
    bool InView(HWND control)
    {
        RECT rect, client;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
        GetClientRect(dialog, &client);
        return rect.top >= 0 && rect.bottom <= client.bottom;
    }
};

const std::vector<Pair> kFruit = {{L"apple", L"manzana"}, {L"pear", L"pera"}, {L"cherry", L"cereza"}};

TEST_F(QuizTest, RowsAskOneSideAndHideTheOtherInBothModes)
{
    int fruit = Category(L"Fruit", kFruit);
    for (bool reverse : {false, true}) {
        SCOPED_TRACE(reverse);
        Open(fruit, reverse);
        ASSERT_EQ(state.rows, 3);
        std::set<std::wstring> asked;
        for (int r = 0; r < 3; r++) {
            EXPECT_EQ(GetDlgItem(dialog, 10 + r), Control(r, QuizLabel));
            EXPECT_EQ(GetDlgItem(dialog, 510 + r), Control(r, QuizAnswerBox));
            EXPECT_EQ(GetDlgItem(dialog, 2010 + r), Control(r, QuizAnswer));
            std::wstring label = Text(Control(r, QuizLabel));
            std::wstring answer = Text(Control(r, QuizAnswer));
            auto pair = std::find_if(kFruit.begin(), kFruit.end(), [&](const Pair &p) {
                return reverse ? p.target == label : p.source == label;
            });
            ASSERT_NE(pair, kFruit.end()) << testing::PrintToString(label);
            EXPECT_EQ(answer, reverse ? pair->source : pair->target);
            EXPECT_TRUE(Visible(Control(r, QuizAnswerBox)));
            EXPECT_FALSE(Visible(Control(r, QuizAnswer)));
            EXPECT_EQ(GetWindowLongPtrW(Control(r, QuizAnswer), GWLP_USERDATA), 2) << "the target language";
            asked.insert(label);
        }
        EXPECT_EQ(asked.size(), 3u);
        EXPECT_EQ(Title(), kExam + L"Fruit (0 / 3) - 00:00:00");
        EXPECT_EQ(GetFocus(), Control(0, QuizAnswerBox));
        EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_VSCROLL) << "three rows fit";
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

TEST_F(QuizTest, TheCompletingKeystrokeCountsAndSpeaksTheTarget)
{
    Open(Category(L"Fruit", kFruit));
    int apple = RowAsking(L"apple");
    Type(apple, L"MANZAN");
    EXPECT_EQ(state.correct, 0);
    EXPECT_TRUE(Visible(Control(apple, QuizAnswerBox)));
    Type(apple, L"A");
    EXPECT_EQ(state.correct, 1);
    EXPECT_FALSE(Visible(Control(apple, QuizAnswerBox)));
    EXPECT_TRUE(Visible(Control(apple, QuizAnswer)));
    EXPECT_FALSE(Visible(Control(apple, QuizShow)));
    EXPECT_TRUE(Visible(Control(apple, QuizSpeak)));
    EXPECT_EQ(GetFocus(), Control((apple + 1) % 3, QuizAnswerBox));
    EXPECT_EQ(Title(), kExam + L"Fruit (1 / 3) - 00:00:00");
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>{"GET /translate_tts?tl=es&client=tw-ob&q=manzana HTTP/1.1"});
    EXPECT_TRUE(ClockRuns());
}

TEST_F(QuizTest, ReverseModeSpeaksTheTargetToo)
{
    Open(Category(L"Fruit", kFruit), true);
    int pera = RowAsking(L"pera");
    Click(Control(pera, QuizSpeak));
    Focus(Control(pera, QuizAnswerBox));
    ASSERT_EQ(GetForegroundWindow(), dialog);
    Press(VK_F1);
    ASSERT_EQ(server.RequestLines().size(), 2u) << "F1 in the answer box speaks";
    Type(pera, L"Pear");
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>(3, "GET /translate_tts?tl=es&client=tw-ob&q=pera HTTP/1.1"))
        << "Speak, F1 and the correct answer all say the target";

    UseEngine(1);
    Click(Control(pera, QuizSpeak));
    ASSERT_TRUE(WaitForSoundWorkers(10000));
    ASSERT_EQ(voices.Requests().size(), 1u);
    EXPECT_EQ(voices.Requests()[0].text, L"pera");
}

TEST_F(QuizTest, EmptyAnswersDuplicatesAndPeeking)
{
    Open(Category(L"Mixed", {{L"blank", L""}, {L"good", L"bueno"}, {L"fine", L"bueno"}}));
    int blank = RowAsking(L"blank");
    Type(blank, L"x");
    EXPECT_EQ(state.correct, 0);
    Backspace(blank);
    EXPECT_EQ(state.correct, 1) << "an empty answer counts when the box is empty again";

    int good = RowAsking(L"good");
    int fine = RowAsking(L"fine");
    Click(Control(good, QuizShow));
    EXPECT_FALSE(Visible(Control(good, QuizAnswerBox)));
    EXPECT_TRUE(Visible(Control(good, QuizAnswer)));
    EXPECT_EQ(state.correct, 1) << "peeking counts nothing";
    Click(Control(good, QuizShow));
    EXPECT_TRUE(Visible(Control(good, QuizAnswerBox)));

    Type(good, L"bueno");
    EXPECT_EQ(state.correct, 2);
    EXPECT_TRUE(Visible(Control(fine, QuizAnswerBox))) << "the other row with the same answer stays open";
    EXPECT_EQ(GetFocus(), Control(fine, QuizAnswerBox));
    Type(fine, L"BUENO");
    EXPECT_EQ(state.correct, 3);
    EXPECT_EQ(Title(), kExam + L"Mixed (3 / 3) - 00:00:00");
    EXPECT_FALSE(ClockRuns()) << "stopped once every row is correct";
}

// How wide the ink of what a control paints is, in pixels: its client area drawn into a bitmap.
int InkWidth(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    // The text is centred vertically: the top right corner is background.
    COLORREF background = GetPixel(dc, client.right - 1, 0);
    int left = client.right, right = -1;
    for (int y = 0; y < client.bottom; y++) {
        for (int x = 0; x < client.right; x++) {
            if (GetPixel(dc, x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return right < left ? 0 : right - left + 1;
}

// The width of text in a control's font.
int TextWidth(HWND control, const std::wstring &text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

// An "&" in a phrase is text: shown, and typed as it is, in both interfaces.
TEST_F(QuizTest, AmpersandsShowAsTheyAreInBothInterfaces)
{
    int category = Category(L"Firms", {{L"R&D", L"I&D"}});
    HMODULE english = LoadLibraryExW(BuiltFile(L"english\\Lingotrove.exe.mui").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(english, nullptr);
    for (HMODULE module : {GetResourceModule(), english}) {
        SCOPED_TRACE(module == english ? "English" : "Chinese");
        Open(category, false, module);
        Click(Control(0, QuizShow));
        for (QuizControl kind : {QuizLabel, QuizAnswer}) {
            HWND control = Control(0, kind);
            EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX);
            std::wstring shown = kind == QuizLabel ? L"R&D" : L"I&D";
            EXPECT_EQ(Text(control), shown);
            shown.erase(1, 1);
            EXPECT_GT(InkWidth(control), TextWidth(control, shown)) << "the \"&\" is drawn";
        }
        Click(Control(0, QuizShow));
        Type(0, L"i&d");
        EXPECT_EQ(state.correct, 1);
        DestroyWindow(dialog);
        dialog = nullptr;
    }
    FreeLibrary(english);
}

// An answer the one-line box cannot hold as it is stored: each run of line breaks is one space,
// in what is shown and in what is typed. What is spoken is the target as stored.
TEST_F(QuizTest, LineBreaksInAnAnswerAreTypedAsOneSpace)
{
    Open(Category(L"Lines", {{L"two\r\nlines", L"uno\r\ndos"}, {L"gaps", L"a\n\n\r\nb\rc"}}));
    int uno = RowAsking(L"two lines");
    ASSERT_NE(uno, -1) << "the asked text is shown on one line too";
    Click(Control(uno, QuizShow));
    EXPECT_EQ(Text(Control(uno, QuizAnswer)), L"uno dos");
    Click(Control(uno, QuizShow));
    UseEngine(1);
    Type(uno, L"UNO DOS");
    EXPECT_EQ(state.correct, 1);
    int gaps = RowAsking(L"gaps");
    EXPECT_EQ(Text(Control(gaps, QuizAnswer)), L"a b c");
    Type(gaps, L"a b c");
    EXPECT_EQ(state.correct, 2);
    ASSERT_TRUE(WaitForSoundWorkers(10000));
    ASSERT_EQ(voices.Requests().size(), 2u);
    EXPECT_EQ(voices.Requests()[0].text, L"uno\r\ndos");
    EXPECT_EQ(voices.Requests()[1].text, L"a\n\n\r\nb\rc");
}

TEST(QuizLineText, MakesEachRunOfLineBreaksOneSpace)
{
    struct Case {
        const wchar_t *text, *line;
    } cases[] = {
        {L"plain", L"plain"},        {L"a\r\nb", L"a b"},          {L"a\n\n\r\r\nb", L"a b"},
        {L"a\rb\nc", L"a b c"},      {L"\r\nends\n", L" ends "},  {L"a \r\n b", L"a   b"},
        {L"", L""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(QuizLineText(c.text), c.line) << testing::PrintToString(std::wstring(c.text));
}

// A long answer (an import stores up to 259 characters) is compared whole: its beginning alone is
// not right.
TEST_F(QuizTest, LongAnswersAreComparedWhole)
{
    std::wstring expected = std::wstring(127, L'a') + L"tail";
    Open(Category(L"Long", {{L"long", expected.c_str()}}));
    SendMessageW(Control(0, QuizAnswerBox), EM_LIMITTEXT, 0, 0);
    Type(0, std::wstring(127, L'A'));
    EXPECT_EQ(state.correct, 0);
    Type(0, L"TAIL");
    EXPECT_EQ(state.correct, 1);
}

TEST_F(QuizTest, TheClockCountsTicksInTheTitle)
{
    Open(Category(L"Fruit", kFruit));
    for (int i = 0; i < 65; i++)
        SendMessageW(dialog, WM_TIMER, 723, 0);
    EXPECT_EQ(Title(), kExam + L"Fruit (0 / 3) - 00:01:05");
    state.elapsed = 100 * 3600 - 1;
    SendMessageW(dialog, WM_TIMER, 723, 0);
    EXPECT_EQ(Title(), kExam + L"Fruit (0 / 3) - 100:00:00");
    SendMessageW(dialog, WM_TIMER, 724, 0);
    EXPECT_EQ(state.elapsed, 360000) << "other timers are not the clock";
}

TEST_F(QuizTest, NoRowsShowZeroAndStopTheClock)
{
    Open(Category(L"Empty", {}));
    EXPECT_EQ(state.rows, 0);
    EXPECT_EQ(Title(), kExam + L"Empty (0 / 0) - 00:00:00");
    EXPECT_FALSE(ClockRuns());
    EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_VSCROLL);
    DestroyWindow(dialog);
    Open(0);
    EXPECT_EQ(Title(), kExam + L" (0 / 0) - 00:00:00") << "no category selected";
}

TEST_F(QuizTest, ALongDescriptionIsShownWhole)
{
    std::wstring description;
    for (int i = 0; i < 100; i++)
        description += L"\U0001F34E";      // 200 units of surrogate pairs
    Open(Category(description.c_str(), kFruit));
    EXPECT_EQ(Title(), kExam + description + L" (0 / 3) - 00:00:00");
}

TEST_F(QuizTest, ScrollingStopsAtTheEndsAndFollowsTheFocus)
{
    Open(NumberedCategory(L"Many", L"word ", 40));
    ASSERT_TRUE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(dialog, SB_VERT, &info);
    int largest = info.nMax - static_cast<int>(info.nPage) + 1;
    EXPECT_EQ(info.nMin, 1);
    EXPECT_EQ(info.nPos, 1);
    int firstTop = Top(Control(0, QuizLabel));

    SendMessageW(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    SendMessageW(dialog, WM_VSCROLL, SB_LINEUP, 0);
    SendMessageW(dialog, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(ScrollPos(), 1) << "never above the top";
    SendMessageW(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)), 0);
    EXPECT_EQ(ScrollPos(), 1 + state.rowPitch) << "one row per notification";
    EXPECT_EQ(Top(Control(0, QuizLabel)), firstTop - state.rowPitch);
    SendMessageW(dialog, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(ScrollPos(), 1 + state.rowPitch + static_cast<int>(info.nPage));
    SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(dialog, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(dialog, WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageW(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollPos(), largest) << "never below the bottom";
    RECT client;
    GetClientRect(dialog, &client);
    HWND lastBox = Control(39, QuizAnswerBox);
    EXPECT_LE(Top(lastBox), client.bottom);
    EXPECT_EQ(Top(Control(0, QuizLabel)), firstTop - (largest - 1)) << "rows move with the content";

    // Focus on the first box scrolls it back into view; the top follows exactly.
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(lastBox), TRUE);
    EXPECT_EQ(ScrollPos(), largest);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(0, QuizAnswerBox)), TRUE);
    EXPECT_EQ(Top(Control(0, QuizAnswerBox)), 0);
    SendMessageW(dialog, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(ScrollPos(), 1);
    EXPECT_EQ(Top(Control(0, QuizLabel)), firstTop);
}

// Rows made out of order (a jump to the bottom, then a page back up, which makes rows above
// some made before them) still keep the tab order of the rows.
TEST_F(QuizTest, TabOrderFollowsTheRowsWhateverOrderTheyWereMadeIn)
{
    Open(NumberedCategory(L"Many", L"t", 60));
    auto madeBoxes = [&] {
        std::map<int, HWND> boxes;
        for (int r = 1; r < state.rows; r++)
            if (state.table->rows[r].made)
                boxes[r] = state.table->rows[r].controls[QuizAnswerBox];
        return boxes;
    };
    SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
    std::map<int, HWND> before = madeBoxes();
    SendMessageW(dialog, WM_VSCROLL, SB_PAGEUP, 0);
    ASSERT_LT(ScrollPos(), LargestScrollPos());
    std::map<int, HWND> after = madeBoxes();
    int lowestKept = state.rows, lowestNew = state.rows;
    for (const auto &row : after) {
        auto earlier = before.find(row.first);
        if (earlier == before.end())
            lowestNew = std::min(lowestNew, row.first);
        else if (earlier->second == row.second)
            lowestKept = std::min(lowestKept, row.first);
    }
    ASSERT_LT(lowestNew, lowestKept) << "rows were made above rows made before them, and those stayed";

    // Walk the tab order from the first box: every row made so far, in row order, each box
    // followed by its Show button.
    std::vector<int> order;
    HWND box = Control(0, QuizAnswerBox);
    HWND lastBox = nullptr;   // the box the last stop was, when it was one
    for (int step = 0; step < 400; step++) {
        int row = -1;
        bool isBox = false;
        for (int r = 0; r < state.rows && row < 0; r++) {
            if (!state.table->rows[r].made)
                continue;
            if (state.table->rows[r].controls[QuizAnswerBox] == box)
                row = r, isBox = true;
            else if (state.table->rows[r].controls[QuizShow] == box)
                row = r;
        }
        ASSERT_NE(row, -1);
        if (!isBox) {
            EXPECT_EQ(lastBox, state.table->rows[row].controls[QuizAnswerBox]) << "Show comes right after its box";
        }
        lastBox = isBox ? box : nullptr;
        if (isBox && !order.empty() && row == order.front())
            break;
        if (isBox)
            order.push_back(row);
        box = GetNextDlgTabItem(dialog, box, FALSE);
    }
    EXPECT_EQ(order.size(), after.size() + 1) << "row 0, which has the focus, and the rows made";
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << testing::PrintToString(order);
}

// Tab and Shift+Tab, pressed for real, go over every row of the quiz that can be answered,
// around the ends, whichever rows are made at the time.
TEST_F(QuizTest, TabAndShiftTabGoOverTheWholeQuiz)
{
    Open(NumberedCategory(L"Long", L"w", 1200));
    ASSERT_EQ(GetFocus(), Control(0, QuizAnswerBox));
    ASSERT_EQ(GetForegroundWindow(), dialog);
    Press(VK_TAB, true);
    EXPECT_EQ(GetFocus(), Control(1199, QuizShow)) << "Shift+Tab from the first row goes to the last row's Show";
    EXPECT_TRUE(InView(Control(1199, QuizShow))) << "and shows it";
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(0, QuizAnswerBox)) << "Tab from the last row goes to the first";
    EXPECT_TRUE(InView(Control(0, QuizAnswerBox)));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(0, QuizShow)) << "a row's Show button is a stop after its box";

    Click(Control(7, QuizShow));                        // peeked: its box is hidden
    Type(8, Text(Control(8, QuizAnswer)));              // done
    Focus(Control(5, QuizAnswerBox));
    for (int page = 0; page < 5; page++)                // rows 6 and on are let go, row 5 stays
        SendMessageW(dialog, WM_VSCROLL, SB_PAGEDOWN, 0);
    ASSERT_FALSE(state.table->rows[6].made);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(5, QuizShow));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(6, QuizAnswerBox)) << "the next row, not the next one made";
    EXPECT_TRUE(InView(Control(6, QuizAnswerBox)));
    Press(VK_TAB);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(7, QuizShow)) << "a peeked row has its Show button only";
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(9, QuizAnswerBox)) << "an answered row has no stop";
    Press(VK_TAB, true);
    EXPECT_EQ(GetFocus(), Control(7, QuizShow));

    // From a row's button, Shift+Tab goes to its own answer box and Tab to the next row's.
    SetFocus(Control(10, QuizShow));
    Press(VK_TAB, true);
    EXPECT_EQ(GetFocus(), Control(10, QuizAnswerBox));
    SetFocus(Control(10, QuizSpeak));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(11, QuizAnswerBox));
}

// While the window is inactive nothing of it has the focus, yet the wheel scrolls it: the row
// the user was answering stays, and has the focus again when the window is active again, even
// when a button of a row let go meanwhile had it last.
TEST_F(QuizTest, TheRowBeingAnsweredStaysWhileTheWindowIsInactive)
{
    Open(NumberedCategory(L"Long", L"w", 1200));
    HWND box = Control(3, QuizAnswerBox);
    Focus(box);
    Type(3, L"w");
    SetFocus(Control(5, QuizSpeak));
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetActiveWindow(), other);
    ASSERT_NE(GetFocus(), box);

    for (int i = 0; i < 100; i++)
        SendMessageW(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    ASSERT_EQ(ScrollPos(), 1 + 100 * state.rowPitch);
    EXPECT_FALSE(state.table->rows[5].made) << "the rows around it were let go";
    EXPECT_TRUE(state.table->rows[3].made && state.table->rows[3].controls[QuizAnswerBox] == box)
        << "the row being answered was kept";

    SetForegroundWindow(dialog);
    EXPECT_EQ(GetActiveWindow(), dialog);
    EXPECT_EQ(GetFocus(), box);
    EXPECT_EQ(Text(box), L"w");
    EXPECT_TRUE(InView(box));
    DestroyWindow(other);
}

TEST_F(QuizTest, RowsThatFitIgnoreTheWheel)
{
    Open(Category(L"Fruit", kFruit));
    int top = Top(Control(0, QuizLabel));
    SendMessageW(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(Top(Control(0, QuizLabel)), top);
}

// Categories of more than 500 phrases: every row has controls of its own and can be answered.
class LargeQuizTest : public QuizTest, public testing::WithParamInterface<int> {};

TEST_P(LargeQuizTest, TheLastRowCanBeAnswered)
{
    const int rows = GetParam();
    Open(NumberedCategory(L"Large", L"w", rows));
    ASSERT_EQ(state.rows, rows);

    SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
    int last = rows - 1;
    HWND box = Control(last, QuizAnswerBox);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetDlgCtrlID(box), 510) << "not the first row's answer box";
    EXPECT_EQ(GetDlgItem(dialog, 510), Control(0, QuizAnswerBox));
    EXPECT_EQ(GetDlgItem(dialog, 10 + 500 - 1), Control(499, QuizLabel));
    std::set<int> ids;
    for (int k = 0; k < QuizControlCount; k++) {
        ids.insert(GetDlgCtrlID(Control(0, static_cast<QuizControl>(k))));
        ids.insert(GetDlgCtrlID(Control(500, static_cast<QuizControl>(k))));
        ids.insert(GetDlgCtrlID(Control(last, static_cast<QuizControl>(k))));
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(rows > 501 ? 15 : 10)) << "no two controls share an ID";

    Type(last, Text(Control(last, QuizAnswer)));
    EXPECT_EQ(state.correct, 1);
    EXPECT_FALSE(Visible(Control(last, QuizAnswerBox)));
    Click(Control(last, QuizSpeak));
    EXPECT_EQ(server.RequestLines().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Rows, LargeQuizTest, testing::Values(501, 1200));

BOOL CALLBACK CountWindow(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int *>(counter);
    return TRUE;
}

int ChildWindows(HWND dialog)
{
    int count = 0;
    EnumChildWindows(dialog, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Scrolling through a long quiz lets go of rows far from the view, so the windows in use stay
// bounded; a row that comes back shows what the user left in it.
TEST_F(QuizTest, RowsFarFromTheViewAreLetGoAndComeBackAsTheyWere)
{
    Open(NumberedCategory(L"Long", L"q", 1200));
    Type(0, L"par");                                   // typed, not finished
    Click(Control(1, QuizShow));                       // peeked
    Type(2, Text(Control(2, QuizAnswer)));             // answered
    ASSERT_EQ(state.correct, 1);
    ASSERT_EQ(GetFocus(), Control(3, QuizAnswerBox));
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(4, QuizAnswerBox)), TRUE);

    int most = 0;
    for (int step = 0; step < 10; step++) {
        SendMessageW(dialog, WM_VSCROLL, SB_PAGEDOWN, 0);
        most = std::max(most, ChildWindows(dialog));
    }
    SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
    most = std::max(most, ChildWindows(dialog));
    EXPECT_LE(most, 5 * 60) << "windows stay bounded";
    EXPECT_FALSE(state.table->rows[0].made) << "the first rows were let go";
    EXPECT_TRUE(state.table->rows[4].made) << "the row with the focus stays";

    SendMessageW(dialog, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Text(Control(0, QuizAnswerBox)), L"par");
    EXPECT_TRUE(Visible(Control(0, QuizAnswerBox)));
    EXPECT_FALSE(Visible(Control(1, QuizAnswerBox)));
    EXPECT_TRUE(Visible(Control(1, QuizAnswer)));
    EXPECT_TRUE(Visible(Control(1, QuizShow)));
    EXPECT_FALSE(Visible(Control(2, QuizAnswerBox)));
    EXPECT_FALSE(Visible(Control(2, QuizShow)));
    EXPECT_EQ(state.correct, 1) << "nothing counted twice";
    SetWindowTextW(Control(0, QuizAnswerBox), L"");
    std::wstring expected = Text(Control(0, QuizAnswer));
    Type(0, expected);
    EXPECT_EQ(Text(Control(0, QuizAnswerBox)), expected);
    EXPECT_EQ(state.correct, 2) << "a row that came back can be answered";
}

// Commands 107 and 113 of the main window run the quiz on the selected category.
TEST_F(QuizTest, TheMainWindowOpensTheQuizOnTheSelectedCategory)
{
    int fruit = Category(L"Fruit", kFruit);
    ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, folder.File(L"Quiz.db").c_str()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(fruit)));
    ShellState shell = {};
    HWND window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                     reinterpret_cast<LPARAM>(&shell));
    ASSERT_NE(window, nullptr);
    for (int command : {IDM_QUIZ, IDM_QUIZ_REVERSE}) {
        std::wstring label;
        std::wstring title;
        {
            DialogDriver driver([&](HWND shown) {
                wchar_t text[200] = {};
                GetWindowTextW(shown, text, 200);
                title = text;
                GetDlgItemTextW(shown, 10, text, 200);
                label = text;
                PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
            });
            SendMessageW(window, WM_COMMAND, command, 0);
        }
        EXPECT_EQ(title, kExam + L"Fruit (0 / 3) - 00:00:00");
        bool asksSource = std::any_of(kFruit.begin(), kFruit.end(), [&](const Pair &p) { return p.source == label; });
        EXPECT_EQ(asksSource, command == IDM_QUIZ) << testing::PrintToString(label);
    }
    DestroyWindow(window);
    sqlite3_close(shell.db);
}

}  // namespace

namespace {

// F2 in an answer box is Show for the keyboard: the answer appears, drawn apart from one typed
// right, and the focus goes to the row's Show button, which F2 there leaves alone. A phrase too
// long for its static shows whole in its tooltip, and the window fits a 1024-pixel screen.
TEST_F(QuizTest, F2ShowsTheAnswerAndLongTextsHaveTooltips)
{
    std::wstring longText = L"a phrase far too long to be shown whole in the quiz's narrow static, every word of it";
    Open(Category(L"Fruit", {{L"apple", L"manzana"}, {L"pear", L"pera"}, {longText.c_str(), L"larga"}}));
    RECT frame;
    GetWindowRect(dialog, &frame);
    EXPECT_LE(frame.right - frame.left, 1024);

    int row = 0;
    Focus(Control(row, QuizAnswerBox));
    Press(VK_F2);
    EXPECT_FALSE(IsWindowVisible(Control(row, QuizAnswerBox)));
    EXPECT_TRUE(IsWindowVisible(Control(row, QuizAnswer)));
    EXPECT_EQ(GetFocus(), Control(row, QuizShow));
    Press(VK_F2);
    EXPECT_TRUE(IsWindowVisible(Control(row, QuizAnswer))) << "F2 on the button changes nothing";

    // The shown answer's colour against one typed right.
    Type(1, Text(Control(1, QuizAnswer)));
    HDC dc = GetDC(dialog);
    auto colourOf = [&](HWND answer) {
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(answer));
        return GetTextColor(dc);
    };
    COLORREF shown = colourOf(Control(row, QuizAnswer)), typed = colourOf(Control(1, QuizAnswer));
    ReleaseDC(dialog, dc);
    EXPECT_NE(shown, typed);
    EXPECT_NE(shown, RGB(1, 2, 3));

    // Whichever row asks the long phrase has it whole as its label's tooltip.
    HWND label = nullptr;
    for (int r = 0; r < 3; r++)
        if (Text(Control(r, QuizLabel)) == longText)
            label = Control(r, QuizLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(label, GWL_STYLE) & SS_ENDELLIPSIS);
    ASSERT_NE(state.table->tips, nullptr);
    wchar_t tip[256] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = tip;
    SendMessageW(state.table->tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(tip), longText);
}

}  // namespace
