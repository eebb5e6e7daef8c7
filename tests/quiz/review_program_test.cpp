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
    EXPECT_EQ(kept.due - kept.last, 2 * 86400);
    SendMessageW(review, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(review, 1011)));
    kept = KeptOf(store, again);
    ASSERT_TRUE(kept.found);
    EXPECT_NEAR(kept.stability, 0.212, 1e-4);
    EXPECT_NEAR(kept.difficulty, 6.4133, 1e-4);
    EXPECT_EQ(kept.due, kept.last);
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
    double elapsed = (kept.last - before.last) / 86400.0;
    EXPECT_NEAR(elapsed, 3.0, 0.01);
    EXPECT_NEAR(kept.stability, RecallStability(before.stability, before.difficulty, elapsed), 1e-4);
    EXPECT_GT(kept.due - kept.last, 2 * 86400) << "the interval grows";
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
