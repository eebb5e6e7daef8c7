// The review's tables as other programs may leave them: foreign forms are refused before anything
// is read or written, a store with one table gets the other, and the trigger never stands in the
// way of deleting a pair.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "review/fsrs.h"
#include "review/progress.h"
#include "review/review_store.h"
#include "review/review_tables.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/review/stored_rating.h"
#include "tests/support/temp_folder.h"

namespace {

const wchar_t kReview[] = L"CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, "
                          L"DUE INTEGER, LAST INTEGER, REPS INTEGER, LAPSES INTEGER)";
const wchar_t kLog[] = L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, "
                       L"RATING INTEGER, ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)";

class ReviewTables : public ::testing::Test {
protected:
    TempFolder folder;
    std::wstring path = folder.File(L"Tables.db");
    sqlite3 *db = nullptr;
    int category = 0;
    RecordId first = 0;
    const UnixTime now = LearningDayStart(LearningDay(1781000000)) + 6 * 3600;

    void SetUp() override
    {
        db = OpenPhraseStore(path.c_str(), true);
        ASSERT_NE(db, nullptr);
        category = GetOrCreateCategory(db, L"Palabras");
        for (int i = 0; i < 3; i++) {
            std::wstring n = std::to_wstring(i);
            RecordId id = InsertPhrase(db, category, 1, 2, (L"word " + n).c_str(), (L"palabra " + n).c_str());
            first = first ? first : id;
        }
    }
    void TearDown() override { sqlite3_close(db); }

    void Run(const std::wstring &sql) { ASSERT_EQ(RunStatement(db, sql.c_str()), SQLITE_DONE) << std::string(sql.begin(), sql.end()); }
    std::string Schema()
    {
        std::string all;
        for (auto &row : QueryRows(db, L"SELECT type,name,sql FROM sqlite_master ORDER BY name"))
            for (auto &cell : row)
                all += std::string(cell.begin(), cell.end()) + "|";
        return all;
    }
    bool HasTrigger() { return !QueryRows(db, L"SELECT 1 FROM sqlite_master WHERE type='trigger'").empty(); }
};

TEST_F(ReviewTables, ForeignFormsAreRefusedAndLeftAlone)
{
    const struct {
        const char *what;
        std::wstring review, log;
    } cases[] = {
        {"REVIEW without a primary key",
         L"CREATE TABLE REVIEW(PHRASEID INTEGER, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, LAST INTEGER, "
         L"REPS INTEGER, LAPSES INTEGER)",
         kLog},
        {"REVIEW without LAPSES",
         L"CREATE TABLE REVIEW(PHRASEID INTEGER PRIMARY KEY, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, "
         L"LAST INTEGER, REPS INTEGER)",
         kLog},
        {"REVIEWLOG with times as text", kReview,
         L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME TEXT, RATING INTEGER, "
         L"ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL)"},
        {"REVIEWLOG with a column no row of ours fills", kReview,
         L"CREATE TABLE REVIEWLOG(ID INTEGER PRIMARY KEY, PHRASEID INTEGER, TIME INTEGER, RATING INTEGER, "
         L"ELAPSED REAL, STABILITY REAL, DIFFICULTY REAL, DECK TEXT NOT NULL)"},
        {"REVIEW a view", L"CREATE VIEW REVIEW AS SELECT ID AS PHRASEID FROM PHRASE", kLog},
        {"only a foreign REVIEW", L"CREATE TABLE REVIEW(ID INTEGER PRIMARY KEY, CARD TEXT)", L""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // The case before may have left REVIEW a table or a view; one of these two fails.
        sqlite3_exec(db, "DROP TABLE IF EXISTS REVIEWLOG; DROP VIEW IF EXISTS REVIEW", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "DROP TABLE IF EXISTS REVIEW", nullptr, nullptr, nullptr);
        Run(c.review);
        if (!c.log.empty())
            Run(c.log);
        if (c.review.find(L"PHRASEID INTEGER") != std::wstring::npos && !c.log.empty())
            Run(L"CREATE TRIGGER REVIEW_FORGET_DELETED_PAIR AFTER DELETE ON PHRASE BEGIN "
                L"DELETE FROM REVIEW WHERE PHRASEID=OLD.ID; DELETE FROM REVIEWLOG WHERE PHRASEID=OLD.ID; END");
        std::string before = Schema();

        bool present = true;
        EXPECT_EQ(CheckReviewTables(db, &present), kForeignReviewTables);
        EXPECT_FALSE(present);
        std::vector<ReviewPair> pairs;
        int cause = SQLITE_OK;
        EXPECT_FALSE(ChooseReviewPairs(db, category, now, &pairs, &cause));
        EXPECT_EQ(cause, kForeignReviewTables);
        UnixTime next = 0;
        cause = SQLITE_OK;
        EXPECT_FALSE(NextReviewTime(db, category, now, &next, &cause));
        EXPECT_EQ(cause, kForeignReviewTables);
        ProgressCounts counts = {};
        cause = SQLITE_OK;
        EXPECT_FALSE(ReadProgress(db, category, now, &counts, &cause));
        EXPECT_EQ(cause, kForeignReviewTables);
        EXPECT_EQ(RateAsShown(db, first, kRatingGood, now), kForeignReviewTables);
        EXPECT_EQ(Schema(), before) << "a rating creates nothing beside foreign tables";

        // Our trigger does not stay over tables it may fail on.
        EXPECT_EQ(RepairReviewTables(db), kForeignReviewTables);
        EXPECT_FALSE(HasTrigger());
    }
}

TEST_F(ReviewTables, FormsThatDifferOnlyInWhatTheReviewNeverTouchesAreOurs)
{
    Run(L"CREATE TABLE REVIEW(phraseid integer PRIMARY KEY, stability real, difficulty real, due integer, "
        L"last integer, reps integer, lapses integer, NOTE TEXT)");
    Run(kLog);
    bool present = false;
    EXPECT_EQ(CheckReviewTables(db, &present), SQLITE_OK);
    EXPECT_TRUE(present);
    EXPECT_EQ(RateAsShown(db, first, kRatingGood, now), SQLITE_OK);
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM REVIEW"), (Rows{{L"1"}}));
}

// Whichever table is left, the store gets the other and the trigger, and deleting a pair works and
// takes its review with it; with neither table, a trigger left over is dropped.
TEST_F(ReviewTables, RepairGivesBothTablesOrNoTriggerAndDeletingAlwaysWorks)
{
    const struct {
        const char *what;
        const wchar_t *drop;   // what another program removed after a rating
        bool tablesAfter;
    } cases[] = {
        {"REVIEWLOG dropped", L"DROP TABLE REVIEWLOG", true},
        {"REVIEW dropped", L"DROP TABLE REVIEW", true},
        {"both dropped", L"DROP TABLE REVIEW; DROP TABLE REVIEWLOG", false},
        {"the trigger dropped", L"DROP TRIGGER REVIEW_FORGET_DELETED_PAIR", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        RecordId pair = InsertPhrase(db, category, 1, 2, L"uno", L"one");
        ASSERT_EQ(RateAsShown(db, pair, kRatingGood, now), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, std::string(c.drop, c.drop + wcslen(c.drop)).c_str(), nullptr, nullptr, nullptr),
                  SQLITE_OK);

        EXPECT_EQ(RepairReviewTables(db), SQLITE_OK);
        bool present = false;
        EXPECT_EQ(CheckReviewTables(db, &present), SQLITE_OK);
        EXPECT_EQ(present, c.tablesAfter);
        EXPECT_EQ(HasTrigger(), c.tablesAfter);
        EXPECT_TRUE(DeletePhrase(db, pair, 0));
        EXPECT_EQ(QueryRows(db, (L"SELECT 1 FROM PHRASE WHERE ID=" + std::to_wstring(pair)).c_str()), Rows{});
        if (c.tablesAfter) {
            EXPECT_EQ(QueryRows(db, (L"SELECT PHRASEID FROM REVIEW WHERE PHRASEID=" + std::to_wstring(pair) +
                                     L" UNION ALL SELECT PHRASEID FROM REVIEWLOG WHERE PHRASEID=" +
                                     std::to_wstring(pair)).c_str()),
                      Rows{});
        }
        // Nothing left to put right: no write at all.
        int changes = sqlite3_total_changes(db);
        EXPECT_EQ(RepairReviewTables(db), SQLITE_OK);
        EXPECT_EQ(sqlite3_total_changes(db), changes);
    }
}

}  // namespace
