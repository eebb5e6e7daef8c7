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

// The earliest due time of a reviewed pair of category (0: every category) after the end of
// now's local day, or 0 when there is none (or when new pairs are left for a later day: then
// *newLeft is true). Used to say when the next pair is once nothing is due today.
bool NextReviewTime(sqlite3 *db, int categoryId, UnixTime now, UnixTime *due, bool *newLeft);

// Records one rating of phraseId at now, in one transaction: creates the tables the first time,
// moves the pair's memory state on, writes REVIEW and appends to REVIEWLOG. Returns false, with
// the store as it was, when it could not be written.
bool RecordRating(sqlite3 *db, int phraseId, int rating, UnixTime now);
