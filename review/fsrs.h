// The review's scheduler: FSRS-6 with its default parameters and a desired retention of 0.9.
// A pair's memory is its stability (days until recall falls to 90%) and its difficulty (1 to 10);
// each rating moves both, and the next review falls when recall is expected to reach 90%.
#pragma once

// The two ratings the review gives: a row shown before it was answered, and a row typed right.
constexpr int kRatingAgain = 1;
constexpr int kRatingGood = 3;

struct MemoryState {
    double stability;    // days
    double difficulty;   // 1 to 10
};

// The state after a pair's first rating.
MemoryState FirstMemoryState(int rating);

// The state after a later rating, elapsedDays whole learning days after the previous one. On the
// same day (0) the short-term formula applies, whatever the rating; from a day on Good gives the
// recall stability and Again the forgetting stability.
MemoryState NextMemoryState(MemoryState state, int elapsedDays, int rating);

// The probability of recall elapsedDays after a review that left stability.
double Retrievability(double elapsedDays, double stability);

// Whole days until the next review after a rating that left stability: where recall reaches
// 90%, rounded, at least 1.
int NextIntervalDays(double stability);
