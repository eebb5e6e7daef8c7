// What the phrase store keeps of the daily review: REVIEW (each reviewed pair's memory and due
// time) and REVIEWLOG (every rating), created by the first rating. A store never reviewed has
// neither table, and everything here treats that as "no pair reviewed yet".
#pragma once

#include <string>
#include <vector>

#include "review/review_time.h"

struct sqlite3;

// New pairs a day's review offers, counting the pairs first reviewed that day.
constexpr int kNewPairsPerDay = 20;

struct ReviewPair {
    int phraseId;
    std::wstring source, target;   // as stored
    int targetLanguage;            // TLANGUAGEID
};

// The pairs of category (0: every category) the review at now asks: the reviewed pairs due
// before the end of now's local day, oldest due first, then new pairs in ID order up to
// kNewPairsPerDay less those first reviewed today. Returns false when the store could not be
// read (pairs is then empty).
bool ChooseReviewPairs(sqlite3 *db, int categoryId, UnixTime now, std::vector<ReviewPair> *pairs);

// When the review of category (0: every category) next has a pair, once nothing is left today:
// the earliest due time of a reviewed pair from the end of now's local day on, or that end itself
// when new pairs are left for the next day. 0 when the category has no pair at all. Returns false
// when the store could not be read.
bool NextReviewTime(sqlite3 *db, int categoryId, UnixTime now, UnixTime *next);

// Records one rating of phraseId at now, in one transaction: creates the tables the first time,
// moves the pair's memory state on, writes REVIEW and appends to REVIEWLOG. Returns false, with
// the store as it was, when it could not be written.
// Also false for a pair that is not in the store, for a rating other than kRatingAgain and
// kRatingGood, and when the connection is already inside a transaction.
bool RecordRating(sqlite3 *db, int phraseId, int rating, UnixTime now);
