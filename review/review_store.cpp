// The review's tables in the phrase store: choosing the day's pairs and recording each rating.
// Statements are formatted as everywhere in the store (%d for ids, times as decimal text); the
// REAL values a rating writes are bound, so that they are stored exactly as computed.
#include "review/review_store.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "review/fsrs.h"
#include "review/review_tables.h"
#include "sqlite3.h"
#include "store/statement.h"

namespace {

constexpr size_t kSqlUnits = 1024;

// Unix seconds as decimal text for a statement: %d takes 32 bits only.
struct TimeText {
    wchar_t text[24];

    explicit TimeText(UnixTime time)
    {
        std::wstring digits = std::to_wstring(time);  // at most 20 characters
        digits.copy(text, digits.size());
        text[digits.size()] = 0;
    }
};

// " AND P.CATEGORYID=n" for one category, nothing for every category.
// The pairs of PHRASE P the review may ask: those of the category (any when 0) that have a
// translation to type, since an empty answer would be rated Good at once.
struct CategoryClause {
    wchar_t text[96];

    explicit CategoryClause(int categoryId)
    {
        if (categoryId == 0 || !FormatStatement(text, 96, L" AND P.TARGET<>'' AND P.CATEGORYID=%d", categoryId))
            wcscpy(text, L" AND P.TARGET<>''");
    }
};

// Whether the store holds both review tables in this program's form; false, with result set,
// when it could not be told or the tables are foreign.
bool FindReviewTables(sqlite3 *db, bool *present, int *result)
{
    *result = CheckReviewTables(db, present);
    return *result == SQLITE_OK;
}

// Appends the pairs a query gives (ID, SOURCE, TARGET, TLANGUAGEID).
bool ReadPairs(sqlite3 *db, const wchar_t *sql, bool due, std::vector<ReviewPair> *pairs)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        pairs->push_back({sqlite3_column_int64(statement, 0), ColumnText(statement, 1),
                          ColumnText(statement, 2), sqlite3_column_int(statement, 3), due});
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

// Column 0 of a query's only row as a 64-bit number; found is false when it is NULL or no row
// came back.
bool QueryNumber(sqlite3 *db, const wchar_t *sql, long long *number, bool *found)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_step(statement);
    *found = step == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL;
    if (*found)
        *number = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return step == SQLITE_ROW || step == SQLITE_DONE;
}

// The first second of the learning day holding now, and of the one after it: what is due before
// the latter is due today.
UnixTime TodayStart(UnixTime now)
{
    return LearningDayStart(LearningDay(now));
}

UnixTime TomorrowStart(UnixTime now)
{
    return LearningDayStart(LearningDay(now) + 1);
}

// Pairs of the whole store first reviewed in now's learning day up to now, each counted once: the new
// pairs of a day are the learner's, whichever categories they came from. Ratings dated after now
// (a clock set back) are nobody's today.
bool CountFirstReviewedToday(sqlite3 *db, UnixTime now, int *count)
{
    TimeText start(TodayStart(now)), until(now);
    CategoryClause anyCategory(0);
    wchar_t sql[kSqlUnits];
    if (!FormatStatement(sql, kSqlUnits,
                         L"SELECT COUNT(DISTINCT L.PHRASEID) FROM REVIEWLOG L JOIN PHRASE P ON P.ID=L.PHRASEID "
                         L"WHERE L.TIME>=%s AND L.TIME<=%s%s AND NOT EXISTS "
                         L"(SELECT 1 FROM REVIEWLOG E WHERE E.PHRASEID=L.PHRASEID AND E.TIME<%s)",
                         start.text, until.text, anyCategory.text, start.text))
        return false;
    long long number = 0;
    bool found = false;
    if (!QueryNumber(db, sql, &number, &found))
        return false;
    *count = found ? static_cast<int>(number) : 0;
    return true;
}

// The WHERE of a query over PHRASE P that keeps the pairs never reviewed.
const wchar_t *NewPairCondition(bool reviewTables)
{
    return reviewTables ? L"NOT EXISTS (SELECT 1 FROM REVIEW R WHERE R.PHRASEID=P.ID)" : L"1";
}

bool ChoosePairs(sqlite3 *db, int categoryId, UnixTime now, std::vector<ReviewPair> *pairs, int *tables)
{
    bool reviewTables = false;
    if (!FindReviewTables(db, &reviewTables, tables))
        return false;
    CategoryClause category(categoryId);
    wchar_t sql[kSqlUnits];
    int newPairs = kNewPairsPerDay;
    if (reviewTables) {
        TimeText end(TomorrowStart(now));
        if (!FormatStatement(sql, kSqlUnits,
                             L"SELECT P.ID,P.SOURCE,P.TARGET,P.TLANGUAGEID FROM REVIEW R "
                             L"JOIN PHRASE P ON P.ID=R.PHRASEID WHERE (R.DUE<%s OR R.DUE IS NULL OR R.DUE>='')%s "
                             L"ORDER BY R.DUE,R.PHRASEID",
                             end.text, category.text) ||
            !ReadPairs(db, sql, true, pairs))
            return false;
        int reviewedToday = 0;
        if (!CountFirstReviewedToday(db, now, &reviewedToday))
            return false;
        newPairs = std::max(0, kNewPairsPerDay - reviewedToday);
    }
    if (newPairs == 0)
        return true;
    return FormatStatement(sql, kSqlUnits,
                           L"SELECT P.ID,P.SOURCE,P.TARGET,P.TLANGUAGEID FROM PHRASE P WHERE %s%s "
                           L"ORDER BY P.ID LIMIT %d",
                           NewPairCondition(reviewTables), category.text, newPairs) &&
           ReadPairs(db, sql, false, pairs);
}

bool FindNextReviewTime(sqlite3 *db, int categoryId, UnixTime now, UnixTime *next, bool *newWaiting, int *tables)
{
    bool reviewTables = false;
    if (!FindReviewTables(db, &reviewTables, tables))
        return false;
    CategoryClause category(categoryId);
    TimeText end(TomorrowStart(now));
    wchar_t sql[kSqlUnits];
    long long number = 0;
    bool found = false;
    if (!FormatStatement(sql, kSqlUnits, L"SELECT 1 FROM PHRASE P WHERE %s%s LIMIT 1",
                         NewPairCondition(reviewTables), category.text) ||
        !QueryNumber(db, sql, &number, &found))
        return false;
    if (found) {
        *next = TomorrowStart(now);
        *newWaiting = true;
        return true;
    }
    if (!reviewTables)
        return true;
    // From the end of today on; a pair still due today only when the caller asks too early.
    wchar_t fromTomorrow[48];
    if (!FormatStatement(fromTomorrow, 48, L"R.DUE>=%s", end.text))
        return false;
    for (const wchar_t *condition : {static_cast<const wchar_t *>(fromTomorrow), L"1"}) {
        if (!FormatStatement(sql, kSqlUnits,
                             L"SELECT MIN(R.DUE) FROM REVIEW R JOIN PHRASE P ON P.ID=R.PHRASEID WHERE %s%s",
                             condition, category.text) ||
            !QueryNumber(db, sql, &number, &found))
            return false;
        if (found) {
            *next = number;
            return true;
        }
    }
    return true;
}

struct StoredReview {
    MemoryState state;
    UnixTime last;
    int reps, lapses;
};

// No memory is weaker than this many days: it keeps every later step finite.
constexpr double kLeastStability = 0.001;

bool IsNumber(sqlite3_stmt *statement, int column)
{
    int type = sqlite3_column_type(statement, column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// Whether the REVIEW row read (STABILITY, DIFFICULTY, LAST, ...) can be gone on from: numbers where
// numbers belong, finite and in range. Another program, or a damaged file, may leave any value.
bool UsableReview(sqlite3_stmt *statement)
{
    if (!IsNumber(statement, 0) || !IsNumber(statement, 1) || sqlite3_column_type(statement, 2) != SQLITE_INTEGER)
        return false;
    double stability = sqlite3_column_double(statement, 0), difficulty = sqlite3_column_double(statement, 1);
    return std::isfinite(stability) && std::isfinite(difficulty) && stability >= kLeastStability &&
           stability <= 1e6 && difficulty >= 1.0 && difficulty <= 10.0 && sqlite3_column_int64(statement, 2) > 0;
}

// Moves a pair's state on by a rating at time; reviewed tells whether it had a state before.
// Returns the learning days since the previous rating (0 within one day), none for a first. A
// clock set back gives no negative time, a state that is not finite starts over, and no memory is
// weaker than the least.
std::optional<int> RateStored(StoredReview *stored, bool reviewed, int rating, UnixTime time)
{
    std::optional<int> elapsedDays;
    MemoryState state = FirstMemoryState(rating);
    if (reviewed) {
        elapsedDays = LearningDaysBetween(stored->last, time);
        state = NextMemoryState(stored->state, *elapsedDays, rating);
        stored->lapses += rating == kRatingAgain ? 1 : 0;
    }
    if (!std::isfinite(state.stability) || !std::isfinite(state.difficulty))
        state = FirstMemoryState(rating);
    state.stability = std::max(state.stability, kLeastStability);
    stored->state = state;
    stored->last = time;
    stored->reps++;
    return elapsedDays;
}

// Rebuilds a pair's state from its ratings in REVIEWLOG, oldest first, as the review made it;
// ratings that are not the review's two, or have no time, are passed over. reviewed is false when
// none is left: the pair is then new. False when the log could not be read.
bool ReplayLog(sqlite3 *db, long long phraseId, StoredReview *stored, bool *reviewed)
{
    *stored = {};
    *reviewed = false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT TIME,RATING FROM REVIEWLOG WHERE PHRASEID=? ORDER BY TIME,ID", -1,
                             &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_bind_int64(statement, 1, phraseId) == SQLITE_OK ? SQLITE_ROW : SQLITE_ERROR;
    while (step == SQLITE_ROW && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        int rating = sqlite3_column_int(statement, 1);
        if (sqlite3_column_type(statement, 0) != SQLITE_INTEGER || sqlite3_column_type(statement, 1) != SQLITE_INTEGER ||
            (rating != kRatingAgain && rating != kRatingGood))
            continue;
        RateStored(stored, *reviewed, rating, sqlite3_column_int64(statement, 0));
        *reviewed = true;
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

// Reads the pair's REVIEW row; reviewed is false when it has none yet. A row that cannot be gone
// on from is rebuilt from the pair's ratings instead, never carried on.
bool ReadStoredReview(sqlite3 *db, long long phraseId, StoredReview *stored, bool *reviewed)
{
    wchar_t sql[kSqlUnits];
    sqlite3_stmt *statement = nullptr;
    if (!FormatStatement(sql, kSqlUnits,
                         L"SELECT STABILITY,DIFFICULTY,LAST,REPS,LAPSES FROM REVIEW WHERE PHRASEID=%lld", phraseId) ||
        sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_step(statement);
    *reviewed = step == SQLITE_ROW;
    bool usable = *reviewed && UsableReview(statement);
    if (usable) {
        stored->state = {sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1)};
        stored->last = sqlite3_column_int64(statement, 2);
        stored->reps = std::max(0, sqlite3_column_int(statement, 3));
        stored->lapses = std::max(0, sqlite3_column_int(statement, 4));
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_ROW && step != SQLITE_DONE)
        return false;
    return !*reviewed || usable || ReplayLog(db, phraseId, stored, reviewed);
}

// Runs a statement whose ? parameters take values in order (no value: NULL).
bool RunWithValues(sqlite3 *db, const wchar_t *sql, std::initializer_list<std::optional<double>> values)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int index = 1;
    bool bound = true;
    for (const std::optional<double> &value : values) {
        int result = value ? sqlite3_bind_double(statement, index, *value) : sqlite3_bind_null(statement, index);
        bound = bound && result == SQLITE_OK;
        index++;
    }
    bool done = bound && sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

// Whether the pair is in the store with exactly these texts. False when it could not be read.
bool ReadPairUnchanged(sqlite3 *db, long long phraseId, const std::wstring &source, const std::wstring &target,
                       bool *unchanged)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT SOURCE,TARGET FROM PHRASE WHERE ID=?", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_bind_int64(statement, 1, phraseId) == SQLITE_OK ? sqlite3_step(statement) : SQLITE_ERROR;
    *unchanged = step == SQLITE_ROW && source == ColumnText(statement, 0) && target == ColumnText(statement, 1);
    sqlite3_finalize(statement);
    return step == SQLITE_ROW || step == SQLITE_DONE;
}

// Everything RecordRating writes, inside its transaction, once the pair is known to be unchanged.
bool WriteRating(sqlite3 *db, long long phraseId, int rating, UnixTime now)
{
    StoredReview stored = {};
    bool reviewed = false;
    if (!ReadStoredReview(db, phraseId, &stored, &reviewed))
        return false;
    std::optional<int> elapsedDays = RateStored(&stored, reviewed, rating, now);
    const MemoryState &state = stored.state;
    // Due at the start of a learning day: today's again after Again, so it is asked once more.
    long long dueDay = LearningDay(now) + (rating == kRatingAgain ? 0 : NextIntervalDays(state.stability));
    UnixTime due = LearningDayStart(dueDay);

    TimeText dueText(due), nowText(now);
    wchar_t sql[kSqlUnits];
    if (!FormatStatement(sql, kSqlUnits,
                         L"INSERT OR REPLACE INTO REVIEW(PHRASEID,STABILITY,DIFFICULTY,DUE,LAST,REPS,LAPSES) "
                         L"VALUES (%lld,?,?,%s,%s,%d,%d)",
                         phraseId, dueText.text, nowText.text, stored.reps, stored.lapses) ||
        !RunWithValues(db, sql, {state.stability, state.difficulty}))
        return false;
    return FormatStatement(sql, kSqlUnits,
                           L"INSERT INTO REVIEWLOG(PHRASEID,TIME,RATING,ELAPSED,STABILITY,DIFFICULTY) "
                           L"VALUES (%lld,%s,%d,?,?,?)",
                           phraseId, nowText.text, rating) &&
           RunWithValues(db, sql, {elapsedDays ? std::optional<double>(*elapsedDays) : std::nullopt, state.stability,
                                   state.difficulty});
}

}  // namespace

bool ChooseReviewPairs(sqlite3 *db, int categoryId, UnixTime now, std::vector<ReviewPair> *pairs, int *cause)
{
    pairs->clear();
    ReadTransaction read(db);
    int tables = SQLITE_OK;
    if (ChoosePairs(db, categoryId, now, pairs, &tables))
        return true;
    pairs->clear();
    if (cause)
        *cause = tables != SQLITE_OK ? tables : LastFailure(db);
    return false;
}

bool NextReviewTime(sqlite3 *db, int categoryId, UnixTime now, UnixTime *next, int *cause, bool *newWaiting)
{
    *next = 0;
    bool waiting = false;
    if (newWaiting)
        *newWaiting = false;
    ReadTransaction read(db);
    int tables = SQLITE_OK;
    if (FindNextReviewTime(db, categoryId, now, next, newWaiting ? newWaiting : &waiting, &tables))
        return true;
    if (cause)
        *cause = tables != SQLITE_OK ? tables : LastFailure(db);
    return false;
}

int RecordRating(sqlite3 *db, long long phraseId, const std::wstring &source, const std::wstring &target, int rating,
                 UnixTime now)
{
    if (rating != kRatingAgain && rating != kRatingGood)
        return SQLITE_MISUSE;
    // The write lock is taken before anything is read, so no other writer can slip in between
    // reading the pair's state and writing the next one.
    bool changed = false, foreign = false;
    int result = RunWriteTransaction(db, [&] {
        bool unchanged = false;
        int tables = CreateReviewTables(db);
        foreign = tables == kForeignReviewTables;
        if (tables != SQLITE_OK || !ReadPairUnchanged(db, phraseId, source, target, &unchanged))
            return false;
        // A pair deleted or edited meanwhile by another program must not get this rating, nor
        // leave state for a pair that takes its ID later.
        changed = !unchanged;
        return unchanged && WriteRating(db, phraseId, rating, now);
    });
    if (foreign)
        return kForeignReviewTables;
    return changed ? kPairChanged : result;
}
