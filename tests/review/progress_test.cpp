// The progress counts read from a real phrase store holding review state.
#include "review/progress.h"
#include "review/fsrs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/review/review_rows.h"
#include "tests/support/temp_folder.h"

namespace {

// The start of the learning day n days from a fixed one, and mid-afternoon of day 0 ("now").
UnixTime Day(int n)
{
    return LearningDayStart(LearningDay(1781000000) + n);
}

const UnixTime kNow = Day(0) + 11 * 3600;

class Progress : public ::testing::Test {
protected:
    TempFolder folder;
    sqlite3 *db = nullptr;
    int words = 0, phrases = 0;   // two categories
    int made = 0;                 // pairs inserted, for their texts

    void SetUp() override
    {
        db = OpenPhraseStore(folder.File(L"Progress.db").c_str(), true);
        ASSERT_NE(db, nullptr);
        words = GetOrCreateCategory(db, L"Words");
        phrases = GetOrCreateCategory(db, L"Phrases");
    }
    void TearDown() override { sqlite3_close(db); }

    int Pair(int category)
    {
        std::wstring text = L"pair " + std::to_wstring(++made);
        return InsertPhrase(db, category, 1, 2, text.c_str(), text.c_str());
    }
    ProgressCounts Read(int category, UnixTime now = kNow)
    {
        ProgressCounts counts = {};
        EXPECT_TRUE(ReadProgress(db, category, now, &counts));
        return counts;
    }
    static std::wstring Retention(const ProgressCounts &counts)
    {
        wchar_t text[16];
        FormatRetention(counts, text, 16);
        return text;
    }
};

TEST_F(Progress, WithoutReviewTablesEveryPairIsNew)
{
    Pair(words);
    Pair(words);
    Pair(phrases);
    for (auto [category, pairs] : std::vector<std::pair<int, int>>{{0, 3}, {words, 2}, {phrases, 1}, {99, 0}}) {
        SCOPED_TRACE(category);
        ProgressCounts counts = Read(category);
        EXPECT_EQ(counts.newPairs, pairs);
        EXPECT_EQ(counts.learning + counts.mature + counts.dueToday + counts.ratedToday + counts.recallRatings, 0);
        for (int due : counts.dueOnDay)
            EXPECT_EQ(due, 0);
        EXPECT_EQ(Retention(counts), L"\x2014");
    }
    EXPECT_EQ(QueryRows(db, L"SELECT name FROM sqlite_master WHERE name LIKE 'REVIEW%'"), Rows{});
}

TEST_F(Progress, PairsAreNewLearningOrMatureByTheirStabilityAndCategory)
{
    MakeReviewTables(db);
    UnixTime later = Day(60);   // due after the chart's days
    AddReviewState(db, Pair(words), 0.5, later);
    AddReviewState(db, Pair(words), 20.99, later);
    AddReviewState(db, Pair(words), 21.0, later);
    AddReviewState(db, Pair(phrases), 300.0, later);
    Pair(words);
    Pair(phrases);
    Pair(phrases);
    // State left behind by pairs that are gone, through either way a pair can go.
    int deleted = Pair(words);
    AddReviewState(db, deleted, 1.0, kNow);
    AddRating(db, deleted, kNow, 1, 2.0);
    DeletePhrase(db, deleted, 0);
    AddReviewState(db, 9999, 50.0, kNow);
    AddRating(db, 9999, kNow, 3, 2.0);

    struct Case { int category, newPairs, learning, mature; };
    for (const Case &c : {Case{0, 3, 2, 2}, Case{words, 1, 2, 1}, Case{phrases, 2, 0, 1}}) {
        SCOPED_TRACE(c.category);
        ProgressCounts counts = Read(c.category);
        EXPECT_EQ(counts.newPairs, c.newPairs);
        EXPECT_EQ(counts.learning, c.learning);
        EXPECT_EQ(counts.mature, c.mature);
        EXPECT_EQ(counts.dueToday, 0);
        EXPECT_EQ(counts.ratedToday, 0);
        EXPECT_EQ(counts.recallRatings, 0);
        for (int due : counts.dueOnDay)
            EXPECT_EQ(due, 0);
    }
}

// Which of the chart's days a pair due at due falls on as seen at now (-1: none), and whether it
// counts as due today.
struct DueCase {
    const char *what;
    UnixTime now, due;
    int day;
};

TEST_F(Progress, DueTodayAndTheChartFollowLearningDays)
{
    UnixTime start = Day(0), end = Day(1);
    const DueCase cases[] = {
        {"long overdue", kNow, start - 40 * 86400, 0},
        {"due at the first second of today", kNow, start, 0},
        {"due in the last second of today", kNow, end - 1, 0},
        {"due at the last second, seen at the first", start, end - 1, 0},
        {"due at the first second of tomorrow", kNow, end, 1},
        {"due two seconds from the day's last second", end - 1, end + 1, 1},
        {"due tomorrow evening", kNow, Day(1) + 19 * 3600, 1},
        {"due on the chart's last day", kNow, Day(30) - 1, 29},
        {"due the day after the chart", kNow, Day(30), -1},
        {"due a year later", kNow, Day(365), -1},
    };
    MakeReviewTables(db);
    int pair = Pair(words);
    Pair(phrases);
    for (const DueCase &c : cases) {
        SCOPED_TRACE(c.what);
        RunStatement(db, L"DELETE FROM REVIEW");
        AddReviewState(db, pair, 3.0, c.due);
        for (int category : {0, words}) {
            ProgressCounts counts = Read(category, c.now);
            EXPECT_EQ(counts.dueToday, c.day == 0 ? 1 : 0);
            for (int day = 0; day < kForecastDays; day++)
                EXPECT_EQ(counts.dueOnDay[day], day == c.day ? 1 : 0) << "day " << day;
        }
        ProgressCounts other = Read(phrases, c.now);
        EXPECT_EQ(other.dueToday, 0);
        EXPECT_EQ(other.dueOnDay[c.day < 0 ? 0 : c.day], 0);
    }
}

TEST_F(Progress, TheChartCountsEveryPairOfADay)
{
    MakeReviewTables(db);
    const int perDay[] = {3, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1};
    for (int day = 0; day < 11; day++)
        for (int i = 0; i < perDay[day]; i++)
            AddReviewState(db, Pair(words), 4.0, Day(day) + i * 3600);
    ProgressCounts counts = Read(0);
    for (int day = 0; day < kForecastDays; day++)
        EXPECT_EQ(counts.dueOnDay[day], day < 11 ? perDay[day] : 0) << "day " << day;
    EXPECT_EQ(counts.dueToday, 3);
}

TEST_F(Progress, TodaysRatingsAndTheRetentionOfTheLast30Days)
{
    MakeReviewTables(db);
    int a = Pair(words), b = Pair(words), c = Pair(phrases);
    UnixTime today = Day(0);
    UnixTime oldest = Day(-29);
    AddRating(db, a, oldest - 1, 1, 3.0);     // before the 30 days: counts nowhere
    AddRating(db, a, oldest, 1, 3.0);         // the first day of the 30: an Again
    AddRating(db, a, today - 1, 3, 1.0);      // yesterday's last second: a Good
    AddRating(db, b, today, 3, -1);           // a first rating, today: not a recall
    AddRating(db, b, kNow, 3, 0.0);           // today again: relearning, not a recall
    AddRating(db, b, kNow + 60, 1, 1.0);      // after now (a clock set back): counts nowhere
    AddRating(db, c, kNow, 1, 4.0);           // today, the other category: an Again
    AddRating(db, c, kNow - 60, 3, -1);
    AddRating(db, c, kNow - 30, 3, 2.0);      // today: a Good

    struct Case { int category, ratedToday, recallRatings, recalled; const wchar_t *retention; };
    for (const Case &e : {Case{0, 5, 4, 2, L"50%"}, Case{words, 2, 2, 1, L"50%"}, Case{phrases, 3, 2, 1, L"50%"}}) {
        SCOPED_TRACE(e.category);
        ProgressCounts counts = Read(e.category);
        EXPECT_EQ(counts.ratedToday, e.ratedToday);
        EXPECT_EQ(counts.recallRatings, e.recallRatings);
        EXPECT_EQ(counts.recalled, e.recalled);
        EXPECT_EQ(Retention(counts), e.retention);
    }
    // Only first ratings: no figure yet.
    RunStatement(db, L"DELETE FROM REVIEWLOG WHERE ELAPSED IS NOT NULL");
    ProgressCounts counts = Read(0);
    EXPECT_EQ(counts.ratedToday, 2);
    EXPECT_EQ(Retention(counts), L"\x2014");
}

TEST_F(Progress, AStoreThatCannotBeReadGivesNothing)
{
    sqlite3 *empty = nullptr;
    ASSERT_EQ(sqlite3_open16(folder.File(L"Empty.db").c_str(), &empty), SQLITE_OK);
    ProgressCounts counts;
    counts.newPairs = 7;
    EXPECT_FALSE(ReadProgress(empty, 0, kNow, &counts));
    EXPECT_EQ(counts.newPairs, 0);
    sqlite3_close(empty);
}

}  // namespace

namespace {

// A rating dated after now (a clock set back since) is no rating of today's.
TEST_F(Progress, RatingsDatedAfterNowAreNotToday)
{
    MakeReviewTables(db);
    int pair = Pair(words);
    AddRating(db, pair, kNow - 60, kRatingGood, -1);
    AddRating(db, pair, kNow + 60, kRatingGood, 1.0);
    EXPECT_EQ(Read(words).ratedToday, 1);
    EXPECT_EQ(Read(words, kNow + 120).ratedToday, 2);
}

}  // namespace
