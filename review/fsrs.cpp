// FSRS-6: the memory model behind the review's schedule, with its published default weights.
#include "review/fsrs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double w[21] = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                          0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                          1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double kDesiredRetention = 0.9;
constexpr int kLongestIntervalDays = 36500;

double Decay()
{
    return w[20];
}

// Chosen so that recall is exactly 90% when the elapsed time equals the stability.
double Factor()
{
    return std::pow(0.9, -1.0 / Decay()) - 1.0;
}

// Unclamped: the mean reversion pulls towards Easy's initial difficulty as the formula gives it,
// even though it lies below 1.
double InitialDifficulty(int rating)
{
    return w[4] - std::exp(w[5] * (rating - 1)) + 1.0;
}

double ClampDifficulty(double difficulty)
{
    return std::min(std::max(difficulty, 1.0), 10.0);
}

double NextDifficulty(double difficulty, int rating)
{
    double delta = -w[6] * (rating - 3);
    // Linear damping: the closer to 10, the less a lapse adds.
    double damped = difficulty + delta * (10.0 - difficulty) / 9.0;
    return ClampDifficulty(w[7] * InitialDifficulty(4) + (1.0 - w[7]) * damped);
}

double ShortTermStability(double stability, int rating)
{
    double increase = std::exp(w[17] * (rating - 3 + w[18])) * std::pow(stability, -w[19]);
    // A same-day success never lowers stability.
    if (rating >= kRatingGood)
        increase = std::max(increase, 1.0);
    return stability * increase;
}

// Good's recall stability; Hard's penalty and Easy's bonus are both 1 for Good.
double RecallStability(MemoryState state, double recall)
{
    return state.stability *
           (1.0 + std::exp(w[8]) * (11.0 - state.difficulty) * std::pow(state.stability, -w[9]) *
                      (std::exp(w[10] * (1.0 - recall)) - 1.0));
}

double ForgettingStability(MemoryState state, double recall)
{
    double forgotten = w[11] * std::pow(state.difficulty, -w[12]) *
                       (std::pow(state.stability + 1.0, w[13]) - 1.0) * std::exp(w[14] * (1.0 - recall));
    // A lapse always leaves the pair less stable than it was.
    return std::min(forgotten, state.stability / std::exp(w[17] * w[18]));
}

}  // namespace

MemoryState FirstMemoryState(int rating)
{
    return {w[rating - 1], ClampDifficulty(InitialDifficulty(rating))};
}

MemoryState NextMemoryState(MemoryState state, int elapsedDays, int rating)
{
    MemoryState next;
    if (elapsedDays < 1) {
        next.stability = ShortTermStability(state.stability, rating);
    } else {
        double recall = Retrievability(elapsedDays, state.stability);
        next.stability = rating == kRatingAgain ? ForgettingStability(state, recall)
                                                : RecallStability(state, recall);
    }
    next.difficulty = NextDifficulty(state.difficulty, rating);
    return next;
}

double Retrievability(double elapsedDays, double stability)
{
    return std::pow(1.0 + Factor() * elapsedDays / stability, -Decay());
}

int NextIntervalDays(double stability)
{
    double days = stability / Factor() * (std::pow(kDesiredRetention, -1.0 / Decay()) - 1.0);
    double rounded = std::floor(days + 0.5);
    return static_cast<int>(std::min(std::max(rounded, 1.0), double(kLongestIntervalDays)));
}
