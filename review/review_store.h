// What the phrase store keeps of the daily review: REVIEW (each reviewed pair's memory and due
// time) and REVIEWLOG (every rating), created by the first rating. A store never reviewed has
// neither table, and everything here treats that as "no pair reviewed yet". Tables of these names
// in another program's form are read and written nothing of: the result is kForeignReviewTables.
#pragma once

#include <string>
#include <vector>

#include "review/learning_day.h"
#include "review/review_tables.h"

struct sqlite3;

// New pairs a day's review offers, counting the pairs first reviewed that day. The message that
// says they are used up names the number: change it there too.
constexpr int kNewPairsPerDay = 20;

struct ReviewPair {
    long long phraseId;
    std::wstring source, target;   // as stored
    int targetLanguage;            // TLANGUAGEID
    bool due;                      // reviewed before and due; otherwise new
};

// The pairs of category (0: every category) the review at now asks, each with a translation: the
// reviewed pairs due on or before now's learning day (or whose due time is no number: damaged,
// they are asked rather than lost), oldest due first, then new pairs in ID order up to
// kNewPairsPerDay less the pairs of the whole store first reviewed in that learning day. Returns
// false when the store could not be read (pairs is then empty); cause, when given, then receives
// kForeignReviewTables or SQLite's code for why.
bool ChooseReviewPairs(sqlite3 *db, int categoryId, UnixTime now, std::vector<ReviewPair> *pairs,
                       int *cause = nullptr);

// When the review of category (0: every category) next has a pair, once nothing is left today:
// the earliest due time of a reviewed pair from the start of the next learning day on, or that
// start itself when new pairs are left for the next day. 0 when the category has no pair at all.
// newWaiting, when given, tells whether new pairs wait for the next day. Returns false when the
// store could not be read, with cause as ChooseReviewPairs gives it.
bool NextReviewTime(sqlite3 *db, int categoryId, UnixTime now, UnixTime *next, int *cause = nullptr,
                    bool *newWaiting = nullptr);

// RecordRating's result when the pair is no longer in the store with the texts it was shown with:
// deleted or changed by another program, its ID perhaps taken by another pair since.
constexpr int kPairChanged = -2;

// Records one rating of the pair shown with source and target (as stored) at now, in one
// transaction: creates the tables the first time, moves the pair's memory state on by the
// learning days since its last rating, makes it due at the start of a learning day, writes
// REVIEW and appends to REVIEWLOG. Returns SQLITE_OK when stored. Otherwise the store is as it
// was and the result is kPairChanged, kForeignReviewTables, SQLITE_MISUSE for a rating other
// than kRatingAgain and kRatingGood or a connection already inside a transaction, or SQLite's
// code for why it could not be written.
int RecordRating(sqlite3 *db, long long phraseId, const std::wstring &source, const std::wstring &target, int rating,
                 UnixTime now);
