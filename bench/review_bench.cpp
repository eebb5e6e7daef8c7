// Prints how long the daily review takes to choose its pairs in a store of 100,000 pairs of which
// 20,000 have been reviewed (a quarter of those due, the rest due within three months), for every
// category, for one, and for one without new pairs; and how long one rating takes to store.
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/clock.h"
#include "review/fsrs.h"
#include "review/review_store.h"
#include "tests/review/stored_rating.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

namespace {

constexpr int kPairs = 100000;
constexpr int kReviewed = 20000;
constexpr int kCategories = 100;
constexpr int kRuns = 5;
constexpr UnixTime kDay = 86400;

// Review state as months of daily reviews leave it: learners take new pairs in order, so the
// reviewed ones are the oldest; each has a few log rows, and a dozen were first reviewed today.
void AddReviewState(sqlite3 *db, UnixTime now)
{
    RateAsShown(db, 1, kRatingGood, now - 200 * kDay);   // creates the tables as the program does
    RunStatement(db, L"BEGIN");
    sqlite3_stmt *review = nullptr, *log = nullptr;
    sqlite3_prepare16_v2(db, L"INSERT OR REPLACE INTO REVIEW VALUES (?,?,5.0,?,?,3,0)", -1, &review, nullptr);
    sqlite3_prepare16_v2(db, L"INSERT INTO REVIEWLOG(PHRASEID,TIME,RATING,ELAPSED,STABILITY,DIFFICULTY) "
                             L"VALUES (?,?,3,?,?,5.0)", -1, &log, nullptr);
    for (int id = 1; id <= kReviewed; id++) {
        // Due from 30 days ago to 90 days ahead: a quarter of them by the end of today.
        UnixTime due = now + static_cast<UnixTime>((id * 7919) % 120 - 30) * kDay + id % 3600;
        UnixTime first = id <= 12 ? now - 3600 : now - static_cast<UnixTime>(1 + id % 190) * kDay;
        double stability = 1.0 + id % 90;
        sqlite3_bind_int(review, 1, id);
        sqlite3_bind_double(review, 2, stability);
        sqlite3_bind_int64(review, 3, due);
        sqlite3_bind_int64(review, 4, due - static_cast<UnixTime>(stability * kDay));
        sqlite3_step(review);
        sqlite3_reset(review);
        for (int n = 0; n < 3; n++) {
            sqlite3_bind_int(log, 1, id);
            sqlite3_bind_int64(log, 2, first + n * 60);
            if (n == 0)
                sqlite3_bind_null(log, 3);
            else
                sqlite3_bind_double(log, 3, 60.0 / kDay);
            sqlite3_bind_double(log, 4, stability);
            sqlite3_step(log);
            sqlite3_reset(log);
        }
    }
    sqlite3_finalize(review);
    sqlite3_finalize(log);
    RunStatement(db, L"COMMIT");
}

// Best of kRuns, in milliseconds, with the pairs the last run chose.
double TimeChoice(sqlite3 *db, int category, UnixTime now, size_t *chosen)
{
    double best = 1e9;
    for (int run = 0; run < kRuns; run++) {
        std::vector<ReviewPair> pairs;
        double start = Now();
        if (!ChooseReviewPairs(db, category, now, &pairs))
            fprintf(stderr, "ChooseReviewPairs failed\n");
        best = std::min(best, (Now() - start) * 1000);
        *chosen = pairs.size();
    }
    return best;
}

}  // namespace

int wmain()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"lingotrove-review-bench.db";
    DeleteFileW(path.c_str());
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    if (!db) {
        fprintf(stderr, "cannot create the benchmark store\n");
        return 1;
    }
    RunStatement(db, L"BEGIN");
    for (int c = 1; c <= kCategories; c++)
        GetOrCreateCategory(db, (L"Category " + std::to_wstring(c)).c_str());
    for (int i = 0; i < kPairs; i++) {
        std::wstring n = std::to_wstring(i);
        InsertPhrase(db, 1 + i % kCategories, 1, 2, (L"phrase number " + n).c_str(), (L"frase n\u00FAmero " + n).c_str());
    }
    RunStatement(db, L"COMMIT");
    UnixTime now = LearningDayStart(LearningDay(UnixNow())) + 8 * 3600;
    AddReviewState(db, now);

    size_t chosen = 0;
    double all = TimeChoice(db, 0, now, &chosen);
    printf("choosing the review of %d pairs, %d reviewed, every category: %.1f ms (%zu pairs)\n", kPairs,
           kReviewed, all, chosen);
    double one = TimeChoice(db, 7, now, &chosen);
    printf("choosing the review of one category of %d pairs: %.1f ms (%zu pairs)\n", kPairs / kCategories, one,
           chosen);
    // No new pair to stop at: the whole store is read for them, the slowest case.
    double none = TimeChoice(db, kCategories + 1, now, &chosen);
    printf("choosing the review of a category with no new pair left: %.1f ms (%zu pairs)\n", none, chosen);
    UnixTime next = 0;
    double start = Now();
    NextReviewTime(db, 7, now, &next);
    printf("the next review time of one category: %.1f ms\n", (Now() - start) * 1000);

    double best = 1e9;
    for (int run = 0; run < kRuns; run++) {
        start = Now();
        RateAsShown(db, kReviewed + 1 + run, kRatingGood, now);
        best = std::min(best, (Now() - start) * 1000);
    }
    printf("storing one rating (its own transaction): %.1f ms\n", best);

    sqlite3_close(db);
    DeleteFileW(path.c_str());
    return 0;
}
