// The review's tables on real store files: what a rating writes, which pairs a day's review asks,
// and that failures and deletions leave nothing behind. Every connection goes through the
// fault-injecting file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "review/fsrs.h"
#include "review/review_store.h"
#include "tests/review/stored_rating.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/fault_vfs.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr UnixTime kHour = 3600;
constexpr UnixTime kDay = 86400;

// The start of a learning day counted from a fixed one, so that "today" has room on both sides,
// and that day's noon (eight hours after a learning day begins, at 04:00).
UnixTime DayStart(int day)
{
    return LearningDayStart(LearningDay(1781000000) + day);
}

UnixTime Noon(int day)
{
    return DayStart(day) + 8 * kHour;
}

struct ReviewRow {
    double stability, difficulty;
    UnixTime due, last;
    int reps, lapses;
};

struct LogRow {
    UnixTime time;
    int rating;
    double elapsed;   // NaN for NULL
    double stability, difficulty;
};

class ReviewStore : public ::testing::Test {
protected:
    TempFolder folder;
    std::wstring path = folder.File(L"Review.db");
    sqlite3 *db = nullptr;
    int category = 0, otherCategory = 0;

    void SetUp() override
    {
        InstallFaultVfs();
        SetDiskSpace(-1, false);
        SetInstantLockWaits(false);
        db = OpenPhraseStore(path.c_str(), true);
        ASSERT_NE(db, nullptr);
        category = GetOrCreateCategory(db, L"Palabras");
        otherCategory = GetOrCreateCategory(db, L"Frases");
    }
    void TearDown() override
    {
        SetDiskSpace(-1, false);
        SetInstantLockWaits(false);
        sqlite3_close(db);
    }
    // Adds count pairs to categoryId and returns the first one's id.
    int AddPairs(int count, int categoryId)
    {
        int first = 0;
        RunStatement(db, L"BEGIN");
        for (int i = 0; i < count; i++) {
            std::wstring n = std::to_wstring(i);
            int id = InsertPhrase(db, categoryId, 1, 2, (L"word " + n).c_str(), (L"palabra " + n).c_str());
            first = first ? first : id;
        }
        RunStatement(db, L"COMMIT");
        return first;
    }
    std::vector<int> Chosen(int categoryId, UnixTime now)
    {
        std::vector<ReviewPair> pairs;
        EXPECT_TRUE(ChooseReviewPairs(db, categoryId, now, &pairs));
        std::vector<int> ids;
        for (const ReviewPair &pair : pairs)
            ids.push_back(pair.phraseId);
        return ids;
    }
    void Rate(int phraseId, int rating, UnixTime now)
    {
        ASSERT_EQ(RateAsShown(db, phraseId, rating, now), SQLITE_OK) << phraseId;
    }
    bool Review(int phraseId, ReviewRow *row)
    {
        sqlite3_stmt *statement = nullptr;
        std::wstring sql = L"SELECT STABILITY,DIFFICULTY,DUE,LAST,REPS,LAPSES FROM REVIEW WHERE PHRASEID=" +
                           std::to_wstring(phraseId);
        if (sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            return false;
        bool found = sqlite3_step(statement) == SQLITE_ROW;
        if (found)
            *row = {sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1),
                    sqlite3_column_int64(statement, 2), sqlite3_column_int64(statement, 3),
                    sqlite3_column_int(statement, 4), sqlite3_column_int(statement, 5)};
        sqlite3_finalize(statement);
        return found;
    }
    std::vector<LogRow> Log(int phraseId)
    {
        std::vector<LogRow> rows;
        sqlite3_stmt *statement = nullptr;
        std::wstring sql = L"SELECT TIME,RATING,ELAPSED,STABILITY,DIFFICULTY FROM REVIEWLOG WHERE PHRASEID=" +
                           std::to_wstring(phraseId) + L" ORDER BY ID";
        if (sqlite3_prepare16_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            return rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            double elapsed = sqlite3_column_type(statement, 2) == SQLITE_NULL ? NAN : sqlite3_column_double(statement, 2);
            rows.push_back({sqlite3_column_int64(statement, 0), sqlite3_column_int(statement, 1), elapsed,
                            sqlite3_column_double(statement, 3), sqlite3_column_double(statement, 4)});
        }
        sqlite3_finalize(statement);
        return rows;
    }
    Rows Schema()
    {
        return QueryRows(db, L"SELECT type,name,sql FROM sqlite_master ORDER BY name");
    }
    Rows ReviewState()
    {
        Rows rows = QueryRows(db, L"SELECT * FROM REVIEW ORDER BY PHRASEID");
        for (auto &row : QueryRows(db, L"SELECT * FROM REVIEWLOG ORDER BY ID"))
            rows.push_back(row);
        return rows;
    }
};

std::vector<int> Range(int first, int count)
{
    std::vector<int> ids;
    for (int i = 0; i < count; i++)
        ids.push_back(first + i);
    return ids;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ReviewStore, OpeningAndChoosingChangeNothingAndEveryPairIsNew)
{
    int first = AddPairs(25, category);
    sqlite3_close(db);
    std::string before = ReadFileBytes(path);
    db = OpenPhraseStore(path.c_str(), false);
    ASSERT_NE(db, nullptr);

    std::vector<ReviewPair> pairs;
    ASSERT_TRUE(ChooseReviewPairs(db, category, Noon(0), &pairs));
    ASSERT_EQ(pairs.size(), 20u);
    EXPECT_EQ(pairs[3].phraseId, first + 3);
    EXPECT_EQ(pairs[3].source, L"word 3");
    EXPECT_EQ(pairs[3].target, L"palabra 3");
    EXPECT_EQ(pairs[3].targetLanguage, 2);
    UnixTime next = 0;
    EXPECT_TRUE(NextReviewTime(db, 0, Noon(0), &next));
    EXPECT_EQ(next, DayStart(1));
    EXPECT_EQ(Chosen(otherCategory, Noon(0)), std::vector<int>{});

    sqlite3_close(db);
    db = nullptr;
    EXPECT_EQ(ReadFileBytes(path), before);
    db = OpenPhraseStore(path.c_str(), false);
}

TEST_F(ReviewStore, FirstRatingsCreateTheTablesAndStoreTheFirstState)
{
    int good = AddPairs(2, category), again = good + 1;
    UnixTime now = Noon(0);
    Rate(good, kRatingGood, now);
    Rate(again, kRatingAgain, now + 60);

    Rows schema = Schema();
    auto has = [&](const std::wstring &sql) {
        for (auto &row : schema)
            if (row[2] == sql)
                return true;
        return false;
    };
    EXPECT_TRUE(has(L"CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, "
                    L"DUE INTEGER, LAST INTEGER, REPS INTEGER, LAPSES INTEGER)"));
    EXPECT_TRUE(has(L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, "
                    L"RATING INTEGER, ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)"));

    const struct {
        int id, rating;
        UnixTime time;
        double stability, difficulty;
        UnixTime due;
    } cases[] = {
        {good, kRatingGood, now, 2.3065, 2.1181039705, DayStart(2)},
        {again, kRatingAgain, now + 60, 0.212, 6.4133, DayStart(0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        ReviewRow row = {};
        ASSERT_TRUE(Review(c.id, &row));
        EXPECT_NEAR(row.stability, c.stability, 1e-9);
        EXPECT_NEAR(row.difficulty, c.difficulty, 1e-9);
        EXPECT_EQ(row.due, c.due);
        EXPECT_EQ(row.last, c.time);
        EXPECT_EQ(row.reps, 1);
        EXPECT_EQ(row.lapses, 0);
        std::vector<LogRow> log = Log(c.id);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].time, c.time);
        EXPECT_EQ(log[0].rating, c.rating);
        EXPECT_TRUE(std::isnan(log[0].elapsed));
        EXPECT_EQ(log[0].stability, row.stability);
        EXPECT_EQ(log[0].difficulty, row.difficulty);
    }
}

TEST_F(ReviewStore, LaterRatingsMoveTheStateOnAndCountLapses)
{
    int recalled = AddPairs(2, category), lapsed = recalled + 1;
    UnixTime start = Noon(0);
    Rate(recalled, kRatingGood, start);
    Rate(recalled, kRatingGood, start + 3 * kDay);
    Rate(lapsed, kRatingGood, start);
    Rate(lapsed, kRatingAgain, start + kDay);
    Rate(lapsed, kRatingGood, start + kDay + kDay / 10);

    const struct {
        int id;
        UnixTime last;
        double stability, difficulty;
        UnixTime due;
        int reps, lapses;
        double elapsed;
    } cases[] = {
        {recalled, start + 3 * kDay, 13.8269036944, 2.1112142358, DayStart(17), 2, 0, 3.0},
        {lapsed, start + kDay + kDay / 10, 0.6228007532, 7.3823366078, DayStart(2), 3, 1, 0.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        ReviewRow row = {};
        ASSERT_TRUE(Review(c.id, &row));
        EXPECT_NEAR(row.stability, c.stability, 1e-4);
        EXPECT_NEAR(row.difficulty, c.difficulty, 1e-4);
        EXPECT_EQ(row.last, c.last);
        EXPECT_EQ(row.due, c.due);
        EXPECT_EQ(row.reps, c.reps);
        EXPECT_EQ(row.lapses, c.lapses);
        std::vector<LogRow> log = Log(c.id);
        ASSERT_EQ(log.size(), size_t(c.reps));
        EXPECT_NEAR(log.back().elapsed, c.elapsed, 1e-9);
        EXPECT_EQ(log.back().stability, row.stability);
    }
    // The Again in between: due at once, with the forgetting stability.
    std::vector<LogRow> log = Log(lapsed);
    EXPECT_EQ(log[1].rating, kRatingAgain);
    EXPECT_NEAR(log[1].elapsed, 1.0, 1e-9);
    EXPECT_NEAR(log[1].stability, 0.5712991793, 1e-4);
}

TEST_F(ReviewStore, TwentyNewPairsADayCountingThoseFirstReviewedThatDay)
{
    int first = AddPairs(30, category);
    UnixTime today = Noon(0);
    EXPECT_EQ(Chosen(category, today), Range(first, 20));

    // Five rated today: the two Again ones are due again today, the other new ones fill up to 20.
    for (int i = 0; i < 5; i++)
        Rate(first + i, i < 2 ? kRatingAgain : kRatingGood, today + i);
    EXPECT_EQ(Chosen(category, today + 10), Join({first, first + 1}, Range(first + 5, 15)));

    // The next day the quota is whole again; a pair first reviewed yesterday does not use it up,
    // one first reviewed today does.
    UnixTime tomorrow = Noon(1);
    EXPECT_EQ(Chosen(category, tomorrow), Join({first, first + 1}, Range(first + 5, 20)));
    Rate(first, kRatingGood, tomorrow);
    Rate(first + 5, kRatingGood, tomorrow);
    EXPECT_EQ(Chosen(category, tomorrow), Join({first + 1}, Range(first + 6, 19)));
    // Pairs reviewed yesterday count no more the day after.
    EXPECT_EQ(Chosen(category, Noon(2)).size(), 1u + 3u + 20u);
}

TEST_F(ReviewStore, DuePairsComeFirstOldestDueFirstUntilTheEndOfToday)
{
    int first = AddPairs(8, category);
    UnixTime today = Noon(0), end = DayStart(1);
    Rate(first + 2, kRatingGood, Noon(-10));    // due on day -8
    Rate(first + 0, kRatingGood, Noon(-5));     // due on day -3
    Rate(first + 4, kRatingAgain, Noon(-1));    // due at once, yesterday
    Rate(first + 1, kRatingGood, today);        // due in two days
    Rate(first + 3, kRatingGood, Noon(-1));
    Rate(first + 5, kRatingGood, Noon(-1));
    std::wstring sql = L"UPDATE REVIEW SET DUE=" + std::to_wstring(end - 1) + L" WHERE PHRASEID=" +
                       std::to_wstring(first + 3);
    ASSERT_EQ(RunStatement(db, sql.c_str()), SQLITE_DONE);
    sql = L"UPDATE REVIEW SET DUE=" + std::to_wstring(end) + L" WHERE PHRASEID=" + std::to_wstring(first + 5);
    ASSERT_EQ(RunStatement(db, sql.c_str()), SQLITE_DONE);

    EXPECT_EQ(Chosen(category, today), (std::vector<int>{first + 2, first, first + 4, first + 3, first + 6, first + 7}));
}

// A category chooses its own pairs; the twenty new pairs a day are the whole store's.
TEST_F(ReviewStore, ACategoryChoosesItsOwnPairsFromTheStoresNewPairsOfTheDay)
{
    int words = AddPairs(25, category);
    int phrases = AddPairs(25, otherCategory);
    UnixTime today = Noon(0);
    for (int i = 0; i < 15; i++)
        Rate(phrases + i, i == 0 ? kRatingAgain : kRatingGood, today);
    EXPECT_EQ(Chosen(category, today), Range(words, 5));
    for (int i = 15; i < 20; i++)
        Rate(phrases + i, kRatingGood, today);

    EXPECT_TRUE(Chosen(category, today).empty());
    EXPECT_EQ(Chosen(otherCategory, today), std::vector<int>{phrases});
    EXPECT_EQ(Chosen(0, today), std::vector<int>{phrases});
    // A pair moved to the other category takes its due state with it.
    MovePhrase(db, phrases, category);
    EXPECT_EQ(Chosen(category, today), std::vector<int>{phrases});
    EXPECT_TRUE(Chosen(otherCategory, today).empty());
    // Ratings dated later than now (a clock set back) take nothing from today's new pairs.
    EXPECT_EQ(Chosen(category, today - kHour), Join({phrases}, Range(words, 20)));
    EXPECT_EQ(Chosen(0, Noon(1)).size(), 1u + 20u);
}

TEST_F(ReviewStore, DeletedPairsLeaveNoStateAndAReusedIdStartsNew)
{
    int language = GetOrCreateLanguage(db, L"fr", L"Fran\u00E7ais");
    int third = GetOrCreateCategory(db, L"Third");
    int first = AddPairs(3, category);
    int other = AddPairs(2, otherCategory);
    int french = InsertPhrase(db, third, 1, language, L"cat", L"chat");
    int last = AddPairs(1, third);
    UnixTime today = Noon(0);
    for (int id : {first, first + 1, first + 2, other, other + 1, french, last})
        Rate(id, kRatingGood, today);

    DeletePhrase(db, last, 0);
    DeleteCategory(db, otherCategory, 0);
    DeleteLanguage(db, language, 0);
    EXPECT_EQ(QueryRows(db, L"SELECT PHRASEID FROM REVIEW UNION ALL SELECT PHRASEID FROM REVIEWLOG "
                            L"EXCEPT SELECT ID FROM PHRASE"),
              Rows{});
    ReviewRow row = {};
    EXPECT_TRUE(Review(first + 2, &row));

    // The deleted pairs no longer count against today's new pairs; the new pair is given the id
    // of one of them.
    int reused = AddPairs(1, third);
    EXPECT_EQ(reused, other);
    EXPECT_FALSE(Review(reused, &row));
    EXPECT_EQ(Chosen(third, today), std::vector<int>{reused});
    EXPECT_EQ(Chosen(0, today), std::vector<int>{reused});
}

TEST_F(ReviewStore, AFailedRatingLeavesTheStoreAsItWas)
{
    int first = AddPairs(3, category);
    UnixTime today = Noon(0);
    sqlite3_close(db);
    std::string fresh = ReadFileBytes(path);
    db = OpenPhraseStore(path.c_str(), false);

    // A pair that is gone (another connection deleted it): nothing is created for it.
    EXPECT_EQ(RateAsShown(db, first + 100, kRatingGood, today), kPairChanged);
    EXPECT_NE(sqlite3_get_autocommit(db), 0);
    // The first rating on a full disk: not even the tables stay.
    SetDiskSpace(0, true);
    EXPECT_NE(RateAsShown(db, first, kRatingGood, today), SQLITE_OK);
    SetDiskSpace(-1, false);
    EXPECT_NE(sqlite3_get_autocommit(db), 0);
    sqlite3_close(db);
    EXPECT_EQ(ReadFileBytes(path), fresh);
    db = OpenPhraseStore(path.c_str(), false);

    Rate(first, kRatingGood, today);
    Rows before = ReviewState();
    // A later rating on a full disk, and one while another program holds the store.
    SetDiskSpace(0, true);
    EXPECT_NE(RateAsShown(db, first, kRatingAgain, today + kDay), SQLITE_OK);
    EXPECT_NE(RateAsShown(db, first + 1, kRatingGood, today + kDay), SQLITE_OK);
    SetDiskSpace(-1, false);
    EXPECT_EQ(ReviewState(), before);

    sqlite3 *other = OpenStoreConnection(path.c_str());
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(RunStatement(other, L"BEGIN EXCLUSIVE"), SQLITE_DONE);
    SetInstantLockWaits(true);
    EXPECT_NE(RateAsShown(db, first, kRatingAgain, today + kDay), SQLITE_OK);
    std::vector<ReviewPair> pairs = {{1, L"left", L"over", 1, false}};
    EXPECT_FALSE(ChooseReviewPairs(db, category, today, &pairs));
    EXPECT_TRUE(pairs.empty());
    UnixTime next = 1;
    EXPECT_FALSE(NextReviewTime(db, category, today, &next));
    SetInstantLockWaits(false);
    RunStatement(other, L"ROLLBACK");
    sqlite3_close(other);
    EXPECT_EQ(ReviewState(), before);

    // Only the two ratings the review gives are stored.
    EXPECT_NE(RateAsShown(db, first, 2, today + kDay), SQLITE_OK);
    EXPECT_EQ(ReviewState(), before);
    EXPECT_EQ(RateAsShown(db, first, kRatingAgain, today + kDay), SQLITE_OK);
}

TEST_F(ReviewStore, NextReviewTimeIsTheEarliestDueOrTomorrowForNewPairs)
{
    int first = AddPairs(2, category);
    int second = AddPairs(2, otherCategory);
    int empty = GetOrCreateCategory(db, L"Empty");
    UnixTime today = Noon(0), tomorrow = DayStart(1);
    Rate(first, kRatingGood, Noon(-1));          // due on day 1
    Rate(first + 1, kRatingGood, today);         // due on day 2
    Rate(second, kRatingGood, today);

    const struct {
        int category;
        UnixTime next;
    } cases[] = {
        {category, DayStart(1)},           // every pair reviewed: the earliest due
        {otherCategory, tomorrow},         // a new pair left for tomorrow
        {0, tomorrow},
        {empty, 0},
    };
    for (const auto &c : cases) {
        UnixTime next = -1;
        EXPECT_TRUE(NextReviewTime(db, c.category, today, &next)) << c.category;
        EXPECT_EQ(next, c.next) << c.category;
    }
}

}  // namespace

namespace {

// A pair without a translation has no answer to type: the review never asks it, due or new.
TEST_F(ReviewStore, PairsWithoutATranslationAreNeverAsked)
{
    int first = AddPairs(2, category);
    RecordId empty = InsertPhrase(db, category, 1, 2, L"solo", L"");
    ASSERT_EQ(RunStatement(db, L"INSERT INTO PHRASE (CATEGORYID,SOURCE,TARGET) VALUES (1,'nulo',NULL)"), SQLITE_DONE);
    UnixTime today = Noon(0);
    EXPECT_EQ(Chosen(category, today), (std::vector<int>{first, first + 1}));
    Rate(first, kRatingGood, today);
    // Rated before its translation was taken away (by another program, say), it is due but not asked.
    ASSERT_EQ(RunStatement(db, (L"UPDATE PHRASE SET TARGET='' WHERE ID=" + std::to_wstring(first)).c_str()), SQLITE_DONE);
    EXPECT_EQ(Chosen(category, Noon(10)), (std::vector<int>{first + 1}));
    EXPECT_EQ(Chosen(0, Noon(10)), (std::vector<int>{first + 1}));
    EXPECT_NE(empty, 0);
}

}  // namespace

namespace {

// A REVIEW row that cannot be gone on from is rebuilt from the pair's ratings: the next rating
// gives exactly what it gives a pair whose row was never touched. With no ratings left either,
// the pair starts as new.
TEST_F(ReviewStore, DamagedReviewRowsAreRebuiltFromTheRatings)
{
    struct Case {
        const char *what;
        const wchar_t *damage;   // SET clause for the damaged pair's REVIEW row
        bool dropRatings;        // its REVIEWLOG rows go too
    } cases[] = {
        {"stability NULL", L"STABILITY=NULL", false},
        {"stability a text", L"STABILITY='much'", false},
        {"stability negative", L"STABILITY=-4", false},
        {"stability zero", L"STABILITY=0", false},
        {"stability infinite", L"STABILITY=9e999", false},
        {"difficulty out of range", L"DIFFICULTY=42", false},
        {"last NULL", L"LAST=NULL", false},
        {"last a text", L"LAST='yesterday'", false},
        {"nothing usable and no ratings", L"STABILITY=NULL", true},
    };
    UnixTime day0 = Noon(0), day3 = Noon(0) + 3 * 86400;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        int kept = AddPairs(1, category), damaged = AddPairs(1, category);
        for (int pair : {kept, damaged})
            Rate(pair, kRatingGood, day0);
        std::wstring id = std::to_wstring(damaged);
        ASSERT_EQ(RunStatement(db, (L"UPDATE REVIEW SET " + std::wstring(c.damage) + L" WHERE PHRASEID=" + id).c_str()),
                  SQLITE_DONE);
        if (c.dropRatings) {
            ASSERT_EQ(RunStatement(db, (L"DELETE FROM REVIEWLOG WHERE PHRASEID=" + id).c_str()), SQLITE_DONE);
        }
        for (int pair : {kept, damaged})
            Rate(pair, kRatingGood, day3);
        ReviewRow right = {}, rebuilt = {};
        ASSERT_TRUE(Review(kept, &right));
        ASSERT_TRUE(Review(damaged, &rebuilt));
        if (c.dropRatings) {
            EXPECT_NEAR(rebuilt.stability, 2.3065, 1e-4) << "a first rating";
            continue;
        }
        EXPECT_NEAR(rebuilt.stability, right.stability, 1e-9);
        EXPECT_NEAR(rebuilt.difficulty, right.difficulty, 1e-9);
        EXPECT_EQ(rebuilt.due, right.due);
        EXPECT_EQ(rebuilt.reps, right.reps);
        EXPECT_GT(rebuilt.stability, 10.0) << "a recall three days on";
    }
    // A pair whose due time is no number is asked today rather than never.
    int lost = AddPairs(1, category);
    Rate(lost, kRatingGood, day0);
    ASSERT_EQ(RunStatement(db, (L"UPDATE REVIEW SET DUE=NULL WHERE PHRASEID=" + std::to_wstring(lost)).c_str()),
              SQLITE_DONE);
    std::vector<int> chosen = Chosen(category, day0 + kHour);
    ASSERT_FALSE(chosen.empty());
    EXPECT_EQ(chosen.front(), lost);
}

}  // namespace
