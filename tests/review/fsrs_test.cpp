// The scheduler against values worked out independently from the published FSRS-6 formulas in
// 40-digit decimal arithmetic (tests/review/fsrs_reference.py prints the table below).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "review/fsrs.h"

namespace {

struct Rating {
    int elapsedDays;   // whole learning days since the rating before; 0 on the same day
    int rating;
};

struct Replay {
    const char *name;
    MemoryState start;           // used when firstRating is 0
    int firstRating;
    std::vector<Rating> later;
};

const std::vector<Replay> kReplays = {
    {"good", {}, kRatingGood, {}},
    {"good_1d_good", {}, kRatingGood, {{1, kRatingGood}}},
    {"good_3d_good", {}, kRatingGood, {{3, kRatingGood}}},
    {"good_1d_again_same_day_good_5d_good", {}, kRatingGood,
     {{1, kRatingAgain}, {0, kRatingGood}, {5, kRatingGood}}},
    {"again_again_good_2d_good", {}, kRatingAgain, {{0, kRatingAgain}, {0, kRatingGood}, {2, kRatingGood}}},
    {"good_then_long_gap_good_again", {}, kRatingGood,
     {{4, kRatingGood}, {400, kRatingGood}, {3000, kRatingAgain}}},
    {"good_good_same_day", {}, kRatingGood, {{0, kRatingGood}}},
    {"again_long_gap_again", {}, kRatingAgain, {{1000, kRatingAgain}}},
    {"good_chain_to_the_cap", {}, kRatingGood,
     {{10, kRatingGood}, {60, kRatingGood}, {400, kRatingGood}, {2500, kRatingGood},
      {9000, kRatingGood}, {30000, kRatingGood}, {100000, kRatingGood}}},
    {"easiest_good", {5.0, 1.0}, 0, {{2, kRatingGood}}},
    {"easiest_again_same_day", {5.0, 1.0}, 0, {{0, kRatingAgain}}},
};

struct Expected {
    const char *name;
    int step;   // 0: the first rating (or the given start state)
    double stability, difficulty;
    int intervalDays;
};

const Expected kExpected[] = {
    {"good", 0, 2.3065000000, 2.1181039705, 2},
    {"good_1d_good", 0, 2.3065000000, 2.1181039705, 2},
    {"good_1d_good", 1, 7.3153007441, 2.1112142358, 7},
    {"good_3d_good", 0, 2.3065000000, 2.1181039705, 2},
    {"good_3d_good", 1, 13.8269036944, 2.1112142358, 14},
    {"good_1d_again_same_day_good_5d_good", 0, 2.3065000000, 2.1181039705, 2},
    {"good_1d_again_same_day_good_5d_good", 1, 0.5712991793, 7.3945027413, 1},
    {"good_1d_again_same_day_good_5d_good", 2, 0.6228007532, 7.3823366078, 1},
    {"good_1d_again_same_day_good_5d_good", 3, 4.6724512807, 7.3701826405, 5},
    {"again_again_good_2d_good", 0, 0.2120000000, 6.4133000000, 1},
    {"again_again_good_2d_good", 1, 0.0833567171, 8.8063044689, 1},
    {"again_again_good_2d_good", 2, 0.1031406501, 8.7927265337, 1},
    {"again_again_good_2d_good", 3, 0.8433549878, 8.7791621764, 1},
    {"good_then_long_gap_good_again", 0, 2.3065000000, 2.1181039705, 2},
    {"good_then_long_gap_good_again", 1, 16.1772632027, 2.1112142358, 16},
    {"good_then_long_gap_good_again", 2, 231.6230002017, 2.1043313908, 232},
    {"good_then_long_gap_good_again", 3, 7.8149138477, 7.3899757880, 8},
    {"good_good_same_day", 0, 2.3065000000, 2.1181039705, 2},
    {"good_good_same_day", 1, 2.3065000000, 2.1112142358, 2},
    {"again_long_gap_again", 0, 0.2120000000, 6.4133000000, 1},
    {"again_long_gap_again", 1, 0.2017663359, 8.8063044689, 1},
    {"good_chain_to_the_cap", 0, 2.3065000000, 2.1181039705, 2},
    {"good_chain_to_the_cap", 1, 25.1087201683, 2.1112142358, 25},
    {"good_chain_to_the_cap", 2, 147.8695969597, 2.1043313908, 148},
    {"good_chain_to_the_cap", 3, 724.6556439052, 2.0974554288, 725},
    {"good_chain_to_the_cap", 4, 3190.2750933681, 2.0905863426, 3190},
    {"good_chain_to_the_cap", 5, 10833.0532976802, 2.0837241256, 10833},
    {"good_chain_to_the_cap", 6, 31809.2010076636, 2.0768687707, 31809},
    {"good_chain_to_the_cap", 7, 86900.5744485806, 2.0700202713, 36500},
    {"easiest_good", 0, 5.0000000000, 1.0000000000, 5},
    {"easiest_good", 1, 15.0419734627, 1.0000000000, 15},
    {"easiest_again_same_day", 0, 5.0000000000, 1.0000000000, 5},
    {"easiest_again_same_day", 1, 1.5968179980, 7.0269895693, 2},
};

TEST(Fsrs, ReplayedRatingsMatchTheFormulas)
{
    std::map<std::string, std::vector<MemoryState>> states;
    for (const Replay &replay : kReplays) {
        std::vector<MemoryState> &steps = states[replay.name];
        steps.push_back(replay.firstRating ? FirstMemoryState(replay.firstRating) : replay.start);
        for (const Rating &rating : replay.later)
            steps.push_back(NextMemoryState(steps.back(), rating.elapsedDays, rating.rating));
    }
    size_t checked = 0;
    for (const Expected &expected : kExpected) {
        SCOPED_TRACE(std::string(expected.name) + " step " + std::to_string(expected.step));
        const std::vector<MemoryState> &steps = states[expected.name];
        ASSERT_LT(size_t(expected.step), steps.size());
        const MemoryState &state = steps[expected.step];
        EXPECT_NEAR(state.stability, expected.stability, 1e-9);
        EXPECT_NEAR(state.difficulty, expected.difficulty, 1e-9);
        EXPECT_EQ(NextIntervalDays(state.stability), expected.intervalDays);
        checked++;
    }
    // Every step replayed has its expected row, so no sequence goes unchecked.
    size_t replayed = 0;
    for (const auto &entry : states)
        replayed += entry.second.size();
    EXPECT_EQ(checked, replayed);
}

TEST(Fsrs, RecallFallsToNinetyPercentAfterTheStability)
{
    const double cases[][3] = {
        // elapsed days, stability, recall
        {2.3065, 2.3065, 0.9},
        {0, 5, 1.0},
        {10, 2.3065, 0.7743669168},
        {400, 400, 0.9},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(Retrievability(c[0], c[1]), c[2], 1e-9) << c[0] << " days at S=" << c[1];
}

TEST(Fsrs, IntervalsAreWholeDaysFromOneTo36500)
{
    const struct {
        double stability;
        int days;
    } cases[] = {{0.01, 1}, {0.2, 1}, {2.49, 2}, {2.51, 3}, {36499.4, 36499}, {50000, 36500}};
    for (const auto &c : cases)
        EXPECT_EQ(NextIntervalDays(c.stability), c.days) << c.stability;
}

}  // namespace
