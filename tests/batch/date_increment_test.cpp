// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/date_increment.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel::batch {
namespace {

constexpr std::int64_t kBase = 1'000'000'000;
constexpr std::int64_t kDay = 86'400;

TEST(DateIncrement, GeneratorRepeatsTheClassicRuntimeSequence) {
    RuntimeRandom random;
    std::vector<int> draws;
    for (int i = 0; i < 10; ++i) {
        draws.push_back(random.next());
    }
    EXPECT_EQ(draws,
              (std::vector<int>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}));
}

TEST(DateIncrement, AddAndSubtractAccumulateAndOtherModesLeaveDatesAlone) {
    struct Case {
        IncrementMode mode;
        std::int64_t increment;
        std::vector<std::int64_t> expected;  // working after each of three steps
    };
    const std::vector<Case> cases = {
        {IncrementMode::Add, kDay, {kBase + kDay, kBase + 2 * kDay, kBase + 3 * kDay}},
        {IncrementMode::Subtract, kDay, {kBase - kDay, kBase - 2 * kDay, kBase - 3 * kDay}},
        {IncrementMode::Add, 0, {kBase, kBase, kBase}},
        {IncrementMode::Subtract, 0, {kBase, kBase, kBase}},
        {IncrementMode::Random, 0, {kBase, kBase, kBase}},
        {static_cast<IncrementMode>(0), kDay, {kBase, kBase, kBase}},
        {static_cast<IncrementMode>(7), kDay, {kBase, kBase, kBase}},
    };
    for (const Case& c : cases) {
        RuntimeRandom random;
        std::int64_t working = kBase;
        for (std::int64_t expected : c.expected) {
            StepDate(c.mode, kBase, working, c.increment, random);
            EXPECT_EQ(working, expected) << static_cast<int>(c.mode) << " " << c.increment;
        }
        EXPECT_EQ(random.next(), 41) << "no number may be drawn";
    }
}

TEST(DateIncrement, RandomDrawsMagnitudeThenSignAroundTheBase) {
    RuntimeRandom random;
    std::int64_t working = kBase + 5 * kDay;  // never accumulates: always base plus offset
    // Draws 41 and 18467 (odd: backwards), then 6334 and 26500 (even), then 19169 and 15724.
    const std::vector<std::int64_t> expected = {999'999'892, 1'000'016'701, 1'000'050'544};
    for (std::int64_t value : expected) {
        StepDate(IncrementMode::Random, kBase, working, kDay, random);
        EXPECT_EQ(working, value);
    }
}

TEST(DateIncrement, RandomLargestDrawFallsJustShortOfTheIncrement) {
    RuntimeRandom random;
    for (int i = 1; i < 38'724; ++i) {  // draw 38,724 of the sequence is 32,767, then an odd one
        random.next();
    }
    std::int64_t working = 0;
    StepDate(IncrementMode::Random, 0, working, 60, random);
    EXPECT_EQ(working, -59);
}

TEST(DateIncrement, RandomStaysWithinTheIncrement) {
    RuntimeRandom random;
    std::int64_t smallest = kBase;
    std::int64_t largest = kBase;
    for (int i = 0; i < 5000; ++i) {
        std::int64_t working = kBase;
        StepDate(IncrementMode::Random, kBase, working, 60, random);
        smallest = std::min(smallest, working);
        largest = std::max(largest, working);
    }
    EXPECT_EQ(smallest, kBase - 59);
    EXPECT_EQ(largest, kBase + 59);
}

TEST(DateIncrement, IncrementSecondsOfTheLargestSetting) {
    EXPECT_EQ(incrementSeconds(200, 23, 59), 17'366'340);
    EXPECT_EQ(incrementSeconds(1, 0, 0), kDay);
    EXPECT_EQ(incrementSeconds(0, 0, 1), 60);
}

}  // namespace
}  // namespace quorvel::batch
