// The progress dialog from the real resources: the counts in its statics, the chart it draws, and
// the main window's command that opens it.
#include "review/progress_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"
#include "tests/review/review_rows.h"
#include "tests/support/fault_vfs.h"
#include "tests/support/temp_folder.h"

namespace {

const UnixTime kNow = LearningDayStart(LearningDay(1781000000)) + 6 * 3600;

std::wstring ControlText(HWND dialog, int id)
{
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

// The texts of controls 10 to 15, in order.
std::vector<std::wstring> CountTexts(HWND dialog)
{
    std::vector<std::wstring> texts;
    for (int id = IDC_PROGRESS_NEW; id <= IDC_PROGRESS_RETENTION; id++)
        texts.push_back(ControlText(dialog, id));
    return texts;
}

// A 32-bit top-down picture drawn into through a memory device context.
struct Picture {
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    const DWORD *pixels;

    Picture(int w, int h) : width(w), height(h), dc(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<const DWORD *>(bits);
        SelectObject(dc, bitmap);
    }
    ~Picture()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const
    {
        DWORD p = pixels[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool IsBar(int x, int y) const { return At(x, y) == kForecastBarColor; }
    // Neither the background nor a bar: text, ticks and the axes.
    bool IsInk(int x, int y) const { return !IsBar(x, y) && At(x, y) != GetSysColor(COLOR_WINDOW); }
};

// A run of columns holding the bar colour: where it is and how tall it stands.
struct Bar {
    int left, right, top, bottom;
    int Height() const { return bottom - top; }
    double Middle() const { return (left + right) / 2.0; }
};

std::vector<Bar> BarsIn(const Picture &picture)
{
    std::vector<Bar> bars;
    bool inBar = false;
    for (int x = 0; x < picture.width; x++) {
        int top = -1, bottom = -1;
        for (int y = 0; y < picture.height; y++)
            if (picture.IsBar(x, y)) {
                if (top < 0)
                    top = y;
                bottom = y + 1;
            }
        if (top < 0) {
            inBar = false;
            continue;
        }
        if (!inBar)
            bars.push_back({x, x + 1, top, bottom});
        Bar &bar = bars.back();
        bar.right = x + 1;
        bar.top = std::min(bar.top, top);
        bar.bottom = std::max(bar.bottom, bottom);
        inBar = true;
    }
    return bars;
}

// Bars of days 0, 2, 10 and 29 as tall as their counts 4, 2, 1 and 4, each over its day's thirtieth
// of the axis.
void ExpectForecastBars(const Picture &picture)
{
    std::vector<Bar> bars = BarsIn(picture);
    ASSERT_EQ(bars.size(), 4u);
    for (const Bar &bar : bars)
        EXPECT_EQ(bar.bottom, bars[0].bottom) << "bars stand on one axis";
    EXPECT_GT(bars[0].Height(), 20);
    EXPECT_EQ(bars[3].Height(), bars[0].Height());
    EXPECT_NEAR(bars[1].Height(), bars[0].Height() / 2.0, 1.0);
    EXPECT_NEAR(bars[2].Height(), bars[0].Height() / 4.0, 1.0);
    // The axis: the longest line of ink in the row the bars stand on (the scale's 0 is beside it).
    int axisLeft = 0, axisRight = 0;
    for (int x = 0, start = 0; x <= picture.width; x++) {
        if (x < picture.width && picture.IsInk(x, bars[0].bottom))
            continue;
        if (x - start > axisRight - axisLeft) {
            axisLeft = start;
            axisRight = x;
        }
        start = x + 1;
    }
    ASSERT_GT(axisRight - axisLeft, picture.width / 2);
    double day = (axisRight - axisLeft) / 30.0;
    const int days[] = {0, 2, 10, 29};
    for (int i = 0; i < 4; i++)
        EXPECT_NEAR(bars[i].Middle(), axisLeft + day * (days[i] + 0.5), 2.0) << "day " << days[i];
}

class ProgressDialogTest : public ::testing::Test {
protected:
    TempFolder folder;
    sqlite3 *db = nullptr;
    ProgressDialogState state = {};
    HWND dialog = nullptr;
    int words = 0;

    void SetUp() override
    {
        db = OpenPhraseStore(folder.File(L"Progress.db").c_str(), true);
        ASSERT_NE(db, nullptr);
        words = GetOrCreateCategory(db, L"Words");
        int other = GetOrCreateCategory(db, L"Other");
        MakeReviewTables(db);
        struct Reviewed { int dueDay; double stability; int rating; bool first; };
        // Due on days 0, 2, 10 and 29: 4, 2, 1 and 4 pairs, the first of them overdue since yesterday.
        // All rated an hour ago: three first ratings, then 8 recalls of which 2 Again.
        const Reviewed reviewed[] = {
            {-1, 40.0, 3, true}, {0, 40.0, 3, true}, {0, 2.0, 3, true}, {0, 2.0, 1, false},
            {2, 2.0, 3, false}, {2, 2.0, 3, false}, {10, 2.0, 3, false}, {29, 2.0, 1, false},
            {29, 2.0, 3, false}, {29, 2.0, 3, false}, {29, 2.0, 3, false},
        };
        int made = 0;
        for (const Reviewed &r : reviewed) {
            int pair = NewPair(words, made++);
            AddReviewState(db, pair, r.stability, LearningDayStart(LearningDay(kNow) + r.dueDay) + 3600);
            AddRating(db, pair, kNow - 3600, r.rating, r.first ? -1 : 1.5);
        }
        NewPair(words, made++);
        NewPair(other, made++);
        AddReviewState(db, NewPair(other, made++), 5.0, kNow);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        sqlite3_close(db);
    }
    int NewPair(int category, int number)
    {
        std::wstring text = L"pair " + std::to_wstring(number);
        return InsertPhrase(db, category, 1, 2, text.c_str(), text.c_str());
    }
    void Open(int category)
    {
        state.db = db;
        state.categoryId = category;
        state.now = kNow;
        dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, ProgressDialog,
                                    reinterpret_cast<LPARAM>(&state));
        ASSERT_NE(dialog, nullptr);
    }
    // What the open dialog's chart draws, printed into a picture of its size.
    std::unique_ptr<Picture> PrintChart()
    {
        HWND chart = GetDlgItem(dialog, IDC_PROGRESS_CHART);
        RECT client;
        GetClientRect(chart, &client);
        std::unique_ptr<Picture> picture(new Picture(client.right, client.bottom));
        SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture->dc), PRF_CLIENT);
        return picture;
    }
};

TEST_F(ProgressDialogTest, ShowsTheCountsOfItsCategory)
{
    Open(words);
    // 11 reviewed pairs, 2 of them mature, and one new.
    EXPECT_EQ(CountTexts(dialog), (std::vector<std::wstring>{L"1", L"9", L"2", L"4", L"11", L"75%"}));
    DestroyWindow(dialog);
    Open(0);
    EXPECT_EQ(CountTexts(dialog), (std::vector<std::wstring>{L"2", L"10", L"2", L"5", L"11", L"75%"}));
}

TEST_F(ProgressDialogTest, WithoutRatingsTheRetentionHasNoFigure)
{
    RunStatement(db, L"DROP TABLE REVIEWLOG");
    Open(words);
    EXPECT_EQ(ControlText(dialog, IDC_PROGRESS_RATED), L"0");
    EXPECT_EQ(ControlText(dialog, IDC_PROGRESS_RETENTION), L"\x2014");
}

TEST_F(ProgressDialogTest, TheChartDrawsABarForEachDaysPairs)
{
    Open(words);
    std::unique_ptr<Picture> printed = PrintChart();
    const Picture &picture = *printed;
    ExpectForecastBars(picture);
}

// The chart takes its measures from its font: at twice the font size (a higher DPI, or a larger
// dialog font) the labels under the axis still fit and the bars keep their proportions.
TEST_F(ProgressDialogTest, TheChartScalesWithItsFont)
{
    ProgressCounts counts = {};
    ASSERT_TRUE(ReadProgress(db, words, kNow, &counts));
    int below[2] = {};
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        HFONT font = CreateFontW(-13 * scale, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 L"MS Shell Dlg");
        Picture picture(360 * scale, 130 * scale);
        RECT bounds = {0, 0, picture.width, picture.height};
        DrawForecast(picture.dc, bounds, font, counts);
        DeleteObject(font);
        ExpectForecastBars(picture);
        std::vector<Bar> bars = BarsIn(picture);
        if (bars.empty())
            continue;
        below[scale - 1] = picture.height - bars[0].bottom;
        // Ink under the axis (the day labels), and none cut at the picture's edges.
        bool labels = false;
        for (int y = bars[0].bottom + 2; y < picture.height; y++)
            for (int x = 0; x < picture.width; x++)
                labels = labels || picture.IsInk(x, y);
        EXPECT_TRUE(labels);
        for (int x = 0; x < picture.width; x++) {
            EXPECT_FALSE(picture.IsInk(x, 0)) << "top, x " << x;
            EXPECT_FALSE(picture.IsInk(x, picture.height - 1)) << "bottom, x " << x;
        }
        for (int y = 0; y < picture.height; y++) {
            EXPECT_FALSE(picture.IsInk(0, y)) << "left, y " << y;
            EXPECT_FALSE(picture.IsInk(picture.width - 1, y)) << "right, y " << y;
        }
    }
    EXPECT_GE(below[1], below[0] * 9 / 5) << "room for the labels grows with the font";
}

TEST_F(ProgressDialogTest, WithNothingDueTheChartDrawsOnlyItsAxis)
{
    RunStatement(db, L"DELETE FROM REVIEW");
    Open(words);
    std::unique_ptr<Picture> printed = PrintChart();
    const Picture &picture = *printed;
    EXPECT_TRUE(BarsIn(picture).empty());
    int ink = 0;
    for (int y = 0; y < picture.height; y++)
        for (int x = 0; x < picture.width; x++)
            ink += picture.IsInk(x, y);
    EXPECT_GT(ink, picture.width / 2) << "the axis is drawn";
}

// Command 121 of the main window opens the dialog for the selected category; OK and Escape close it.
class ProgressCommand : public MainWindowTest {};

TEST_F(ProgressCommand, OpensTheProgressOfTheSelectedCategory)
{
    sqlite3 *db = CreateStore();
    int words = GetOrCreateCategory(db, L"Words");
    int other = GetOrCreateCategory(db, L"Other");
    MakeReviewTables(db);
    AddReviewState(db, InsertPhrase(db, words, 1, 2, L"uno", L"one"), 30.0, UnixNow() - 40 * 86400);
    InsertPhrase(db, words, 1, 2, L"dos", L"two");
    InsertPhrase(db, other, 1, 2, L"tres", L"three");
    sqlite3_close(db);
    OpenWindow();
    HWND combo = Item(IDC_CATEGORY);
    for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); i++)
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == words)
            SendMessageW(combo, CB_SETCURSEL, i, 0);

    std::vector<std::wstring> caption, counts;
    auto close = [&](UINT how) {
        return [&, how](HWND dialog) {
            wchar_t text[64] = {};
            GetWindowTextW(dialog, text, 64);
            caption.push_back(text);
            counts = CountTexts(dialog);
            if (how == VK_ESCAPE)
                PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            else
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
    };
    {
        DialogDriver driver(close(IDOK));
        Command(IDM_PROGRESS);
    }
    EXPECT_EQ(caption, std::vector<std::wstring>{L"\u5B78\u7FD2\u9032\u5EA6"});   // "Progress"
    EXPECT_EQ(counts, (std::vector<std::wstring>{L"1", L"0", L"1", L"1", L"0", L"\x2014"}));

    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    {
        DialogDriver driver(close(VK_ESCAPE));
        Command(IDM_PROGRESS);
    }
    EXPECT_EQ(caption.size(), 2u);
    EXPECT_EQ(counts, (std::vector<std::wstring>{L"2", L"0", L"1", L"1", L"0", L"\x2014"}));
}

}  // namespace

namespace {

// Counts that cannot be read are said, never shown as zeros.
TEST_F(ProgressCommand, AStoreThatCannotBeReadIsSaidNotShownAsZeros)
{
    InstallFaultVfs();
    sqlite3 *db = CreateStore();
    int words = GetOrCreateCategory(db, L"Words");
    InsertPhrase(db, words, 1, 2, L"uno", L"one");
    sqlite3_close(db);
    OpenWindow();
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open16(dbPath.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SetInstantLockWaits(true);
    {
        MessageBoxAnswerer ok(IDOK);
        // Closes a dialog of zeros, should one come up.
        DialogDriver driver([](HWND dialog) {
            if (GetDlgItem(dialog, IDC_PROGRESS_CHART))
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_PROGRESS);
        ASSERT_EQ(ok.seen().size(), 1u);
        EXPECT_EQ(ok.seen()[0].text, LoadedString(IDS_PROGRESS_NOT_READ) + L"\n" + LoadedString(IDS_STORE_BUSY));
    }
    SetInstantLockWaits(false);
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
}

}  // namespace
