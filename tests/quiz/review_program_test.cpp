// The daily review in the real Lingotrove.exe, driven from outside over its days: 30 new pairs
// give 20 rows, each rating lands in the store as it is made, a reopened review holds what is left
// of the day, three days later the pairs answered right are due and move on by FSRS-6's recall
// stability, and the progress dialog counts what the days left. The program reads the prefix's
// own HKEY_CURRENT_USER, so this runs in the one process of the program tests.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <math.h>

#include <string>
#include <vector>

#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/program_process.h"

namespace {

const std::wstring kReview = L"\u8907\u7FD2 - ";    // "Review - "
constexpr long long kDay = 86400;

// The start of the learning day holding moment, 04:00 UTC: the program tests run with TZ=UTC.
long long UtcDayStart(long long moment)
{
    return moment - ((moment - 4 * 3600) % kDay + kDay) % kDay;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

bool IsReview(HWND window)
{
    return TextOf(window).rfind(kReview, 0) == 0;
}

bool IsProgress(HWND window)
{
    return GetDlgItem(window, IDC_PROGRESS_CHART) != nullptr;
}

// The review's title up to its clock: "複習 - Palabras (0 / 20)".
std::wstring Counted(HWND review)
{
    std::wstring title = TextOf(review);
    return title.substr(0, title.rfind(L" - "));
}

// Waits up to 30 s for a window of the program to go; like the program's other windows, looked
// at every 50 ms.
bool WaitUntilGone(HWND window)
{
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 30000;)
        Sleep(50);
    return !IsWindow(window);
}

// The row of the review asking text (IDs 10 + r for its label, 510 + r for its answer box,
// 1010 + r for Show), paging down until it has been made; -1 when no row asks it.
int RowAsking(HWND review, int rows, const std::wstring &text)
{
    SendMessageW(review, WM_VSCROLL, SB_TOP, 0);
    for (int page = 0; page <= rows; page++) {
        for (int r = 0; r < rows; r++) {
            HWND label = GetDlgItem(review, 10 + r);
            if (label && TextOf(label) == text)
                return r;
        }
        SendMessageW(review, WM_VSCROLL, SB_PAGEDOWN, 0);
    }
    return -1;
}

std::wstring Numbered(const wchar_t *word, int number)
{
    wchar_t text[32];
    _snwprintf(text, 32, L"%ls %02d", word, number);
    return text;
}

// Types the answer of the row asking "texto NN" as keys sent to its box; the window checks it and
// stores the rating before the last key returns.
void TypeAnswer(HWND review, int row)
{
    int number = _wtoi(TextOf(GetDlgItem(review, 10 + row)).c_str() + 6);
    HWND box = GetDlgItem(review, 510 + row);
    for (wchar_t c : Numbered(L"palabra", number))
        SendMessageW(box, WM_CHAR, c, 1);
}

struct Kept {
    bool found;
    double stability, difficulty;
    long long due, last;
};

Kept KeptOf(const std::wstring &store, const std::wstring &source)
{
    Kept kept = {};
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    std::wstring sql = L"SELECT STABILITY,DIFFICULTY,DUE,LAST FROM REVIEW JOIN PHRASE ON PHRASE.ID=PHRASEID "
                       L"WHERE SOURCE='" + source + L"'";
    if (sqlite3_open16(store.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        kept = {true, sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1),
                sqlite3_column_int64(statement, 2), sqlite3_column_int64(statement, 3)};
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return kept;
}

bool RunOnStore(const std::wstring &store, const char *sql)
{
    sqlite3 *db = nullptr;
    bool ran = sqlite3_open16(store.c_str(), &db) == SQLITE_OK &&
               sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ran;
}

// FSRS-6's recall stability after a Good t days after a review that left stability s and
// difficulty d, written out here from the published formulas with the default parameters.
double RecallStability(double s, double d, double t)
{
    const double w8 = 1.8722, w9 = 0.1666, w10 = 0.796, w20 = 0.1542;
    double factor = pow(0.9, -1 / w20) - 1;
    double r = pow(1 + factor * t / s, -w20);
    return s * (1 + exp(w8) * (11 - d) * pow(s, -w9) * (exp(w10 * (1 - r)) - 1));
}

using ReviewProgramTest = ProgramTest;

TEST_F(ReviewProgramTest, RemembersWhatTheLearnerKnowsOverTheDays)
{
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    int category = GetOrCreateCategory(db, L"Palabras");
    for (int i = 0; i < 30; i++)
        InsertPhrase(db, category, 1, 2, Numbered(L"texto", i).c_str(), Numbered(L"palabra", i).c_str());
    sqlite3_close(db);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));
    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));

    // The first day: 20 of the 30 new pairs. One typed right (Good), one shown (Again).
    PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
    HWND review = process.WaitForDialog(IsReview);
    ASSERT_NE(review, nullptr);
    EXPECT_EQ(Counted(review), kReview + L"Palabras (0 / 20)");
    std::wstring good = TextOf(GetDlgItem(review, 10));
    std::wstring again = TextOf(GetDlgItem(review, 11));
    TypeAnswer(review, 0);
    Kept kept = KeptOf(store, good);
    ASSERT_TRUE(kept.found) << "stored as it happened";
    EXPECT_NEAR(kept.stability, 2.3065, 1e-4);
    EXPECT_NEAR(kept.difficulty, 2.1181, 1e-4);
    EXPECT_EQ(kept.due, UtcDayStart(kept.last) + 2 * kDay) << "two learning days on";
    SendMessageW(review, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(review, 1011)));
    kept = KeptOf(store, again);
    ASSERT_TRUE(kept.found);
    EXPECT_NEAR(kept.stability, 0.212, 1e-4);
    EXPECT_NEAR(kept.difficulty, 6.4133, 1e-4);
    EXPECT_EQ(kept.due, UtcDayStart(kept.last)) << "due again today";
    PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(review));

    // Reopened the same day: the Again pair and the 18 new pairs left of the day's 20.
    PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
    review = process.WaitForDialog(IsReview);
    ASSERT_NE(review, nullptr);
    EXPECT_EQ(Counted(review), kReview + L"Palabras (0 / 19)");
    EXPECT_GE(RowAsking(review, 19, again), 0);
    EXPECT_EQ(RowAsking(review, 19, good), -1);
    PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(review));

    // Three days later: the Good pair is due again, beside the Again pair and a new day's 20.
    ASSERT_TRUE(RunOnStore(store, "UPDATE REVIEW SET DUE=DUE-259200, LAST=LAST-259200;"
                           "UPDATE REVIEWLOG SET TIME=TIME-259200"));
    Kept before = KeptOf(store, good);
    PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
    review = process.WaitForDialog(IsReview);
    ASSERT_NE(review, nullptr);
    EXPECT_EQ(Counted(review), kReview + L"Palabras (0 / 22)");
    int row = RowAsking(review, 22, good);
    ASSERT_GE(row, 0);
    TypeAnswer(review, row);
    kept = KeptOf(store, good);
    EXPECT_EQ(UtcDayStart(kept.last) - UtcDayStart(before.last), 3 * kDay);
    EXPECT_NEAR(kept.stability, RecallStability(before.stability, before.difficulty, 3), 1e-4);
    EXPECT_GT(kept.due - UtcDayStart(kept.last), 2 * kDay) << "the interval grows";
    PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(review));

    // The progress of the category: 28 new pairs, two learning, the Again pair due, one rating
    // today, and that rating (the only one not a first) a Good.
    PostMessageW(process.window, WM_COMMAND, IDM_PROGRESS, 0);
    HWND progress = process.WaitForDialog(IsProgress);
    ASSERT_NE(progress, nullptr);
    std::vector<std::wstring> counts;
    for (int id = IDC_PROGRESS_NEW; id <= IDC_PROGRESS_RETENTION; id++)
        counts.push_back(TextOf(GetDlgItem(progress, id)));
    EXPECT_EQ(counts, (std::vector<std::wstring>{L"28", L"2", L"0", L"1", L"1", L"100%"}));
    PostMessageW(progress, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntilGone(progress));

    PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(60000), 0u);
}

}  // namespace

namespace {

// The message box the program shows over its main window (titled after the store), and its text:
// control 0xFFFF on Windows, 100 under Wine.
bool IsMessageBox(HWND window)
{
    return TextOf(window) == L"Words - Lingotrove";
}

std::wstring MessageOf(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return TextOf(text ? text : GetDlgItem(box, 100));
}

// Stores set up as another computer or an older day left them, each reviewed in the real program
// on its own category: the program starts on the category the settings name.
class ReviewDayProgramTest : public ProgramTest {
protected:
    ProgramProcess process;
    sqlite3 *db = nullptr;
    const long long now = time(nullptr);
    const long long today = UtcDayStart(now);

    void SetUp() override
    {
        ProgramTest::SetUp();
        db = OpenPhraseStore(store.c_str(), true);
        ASSERT_NE(db, nullptr);
        ASSERT_EQ(sqlite3_exec(db, kTables, nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void TearDown() override
    {
        sqlite3_close(db);
        if (process.window) {
            PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
            process.WaitForExit(30000);
        }
        ProgramTest::TearDown();
    }
    int Pair(int category, int number, const wchar_t *target = nullptr)
    {
        return InsertPhrase(db, category, 1, 2, Numbered(L"texto", number).c_str(),
                            target ? target : Numbered(L"palabra", number).c_str());
    }
    void Run(const std::string &sql) { ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }
    // A first rating Good at time, as the review stores it, and the pair's state due at due.
    void RatedGood(int pair, long long time, long long due, const char *stability = "2.3065")
    {
        std::string id = std::to_string(pair), at = std::to_string(time);
        Run("INSERT INTO REVIEW VALUES(" + id + "," + stability + ",2.1181039705," + std::to_string(due) + "," + at +
            ",1,0);INSERT INTO REVIEWLOG(PHRASEID,TIME,RATING,ELAPSED,STABILITY,DIFFICULTY) VALUES(" + id + "," +
            at + ",3,NULL,2.3065,2.1181039705)");
    }
    // Starts the program on category and opens the review; null when none opened.
    HWND ReviewOf(int category)
    {
        EXPECT_TRUE(StartProgramSettings(store, server.Base()));
        EXPECT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));
        if (!process.Start(program, folder.path))
            return nullptr;
        PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
        return process.WaitForDialog(IsReview);
    }
    void Close(HWND review)
    {
        PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntilGone(review));
    }
    // The last rating of the pair: its ELAPSED and the state it left.
    void LastRating(int pair, double *elapsed, double *stability, long long *due)
    {
        sqlite3_stmt *statement = nullptr;
        std::string sql = "SELECT L.ELAPSED,R.STABILITY,R.DUE FROM REVIEWLOG L JOIN REVIEW R ON R.PHRASEID=L.PHRASEID "
                          "WHERE L.PHRASEID=" + std::to_string(pair) + " ORDER BY L.TIME DESC LIMIT 1";
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
        *elapsed = sqlite3_column_type(statement, 0) == SQLITE_NULL ? -1 : sqlite3_column_double(statement, 0);
        *stability = sqlite3_column_double(statement, 1);
        *due = sqlite3_column_int64(statement, 2);
        sqlite3_finalize(statement);
    }

    static constexpr const char *kTables =
        "CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, "
        "LAST INTEGER, REPS INTEGER, LAPSES INTEGER);"
        "CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, RATING INTEGER, "
        "ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)";
};

// Rated Good ten minutes before today's learning day began, and moved due today (as a merge from
// another computer may): answered now, a day has passed, not the same day.
TEST_F(ReviewDayProgramTest, TenMinutesBeforeTheDayBeganIsYesterday)
{
    int category = GetOrCreateCategory(db, L"Horas");
    int pair = Pair(category, 0);
    RatedGood(pair, today - 600, today);
    HWND review = ReviewOf(category);
    ASSERT_NE(review, nullptr);
    EXPECT_EQ(Counted(review), kReview + L"Horas (0 / 1)");
    TypeAnswer(review, 0);
    double elapsed = 0, stability = 0;
    long long due = 0;
    LastRating(pair, &elapsed, &stability, &due);
    EXPECT_EQ(elapsed, 1.0);
    EXPECT_NEAR(stability, 7.3153, 1e-4);
    EXPECT_EQ(due, today + 7 * kDay) << "seven days on, at 04:00";
    Close(review);
}

// A REVIEW row whose stability is gone, for a pair rated Good three days ago, is rebuilt from its
// rating; a pair without a translation is never offered.
TEST_F(ReviewDayProgramTest, ALostStabilityIsRebuiltAndAnEmptyTranslationNotOffered)
{
    int category = GetOrCreateCategory(db, L"Tres");
    int damaged = Pair(category, 10);
    Pair(category, 11);
    Pair(category, 12, L"");
    RatedGood(damaged, now - 3 * kDay, today - kDay, "NULL");
    HWND review = ReviewOf(category);
    ASSERT_NE(review, nullptr);
    EXPECT_EQ(Counted(review), kReview + L"Tres (0 / 2)");
    int row = RowAsking(review, 2, Numbered(L"texto", 10));
    ASSERT_GE(row, 0);
    EXPECT_EQ(RowAsking(review, 2, Numbered(L"texto", 12)), -1);
    TypeAnswer(review, row);
    double elapsed = 0, stability = 0;
    long long due = 0;
    LastRating(damaged, &elapsed, &stability, &due);
    EXPECT_EQ(elapsed, 3.0);
    EXPECT_NEAR(stability, 13.8269, 1e-4);
    EXPECT_EQ(due, today + 14 * kDay);
    Close(review);
}

// Twenty pairs first rated today in one category use up the day's new pairs: another category's
// five new pairs wait, and the program says so instead of opening an empty review.
TEST_F(ReviewDayProgramTest, TwentyNewPairsInOneCategoryAreTheDaysNewPairs)
{
    int twenty = GetOrCreateCategory(db, L"Veinte");
    int five = GetOrCreateCategory(db, L"Cinco");
    for (int i = 0; i < 20; i++)
        RatedGood(Pair(twenty, i), now - 60 + i % 30, today + 2 * kDay);
    for (int i = 20; i < 25; i++)
        Pair(five, i);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(five)));
    ASSERT_TRUE(process.Start(program, folder.path));
    PostMessageW(process.window, WM_COMMAND, IDM_REVIEW, 0);
    HWND box = process.WaitForDialog(IsMessageBox);
    ASSERT_NE(box, nullptr);
    // "今天已學了 20 組新語句": today's 20 new pairs are learned.
    EXPECT_EQ(MessageOf(box).rfind(L"\u4ECA\u5929\u5DF2\u5B78\u4E86 20 \u7D44\u65B0\u8A9E\u53E5", 0), 0u);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntilGone(box));
}

// With another program holding the store, the progress dialog says it could not read it, and
// shows no counts at all.
TEST_F(ReviewDayProgramTest, TheProgressOfALockedStoreIsSaidNotShownAsZeros)
{
    int category = GetOrCreateCategory(db, L"Horas");
    RatedGood(Pair(category, 0), now - kDay, today + kDay);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));
    ASSERT_TRUE(process.Start(program, folder.path));
    Run("BEGIN EXCLUSIVE");
    PostMessageW(process.window, WM_COMMAND, IDM_PROGRESS, 0);
    HWND box = process.WaitForDialog(IsMessageBox);
    ASSERT_NE(box, nullptr);
    // "無法讀取學習進度。" then "資料庫正被其他程式使用".
    std::wstring said = MessageOf(box);
    EXPECT_EQ(said.rfind(L"\u7121\u6CD5\u8B80\u53D6\u5B78\u7FD2\u9032\u5EA6", 0), 0u);
    EXPECT_NE(said.find(L"\u8CC7\u6599\u5EAB\u6B63\u88AB\u5176\u4ED6\u7A0B\u5F0F\u4F7F\u7528"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntilGone(box));
    Run("ROLLBACK");
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
        EXPECT_FALSE(window != process.window && IsProgress(window)) << "no progress dialog with zeros";
}

}  // namespace
