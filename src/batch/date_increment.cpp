// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/date_increment.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace quorvel::batch {
namespace {

// The single-precision value nearest to 1/32767 (bit pattern 0x38000100). Scaling by it makes
// the largest draw fall just short of the increment.
const float kInverseRandMax = std::bit_cast<float>(std::uint32_t{0x38000100});

std::int32_t randomMagnitude(float increment, int draw) {
    const double scaled = static_cast<double>(increment) * draw * kInverseRandMax;
    const double limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(scaled, -limit, limit));
}

}  // namespace

std::int64_t incrementSeconds(std::uint32_t days, std::uint32_t hours, std::uint32_t minutes) {
    return ((std::int64_t{days} * 24 + hours) * 60 + minutes) * 60;
}

int RuntimeRandom::next() {
    m_state = m_state * 214013U + 2531011U;
    return static_cast<int>((m_state >> 16) & 0x7FFFU);
}

RuntimeRandom& dateStepRandom() {
    static RuntimeRandom random;
    return random;
}

void StepDate(IncrementMode mode, std::int64_t base, std::int64_t& working, std::int64_t increment,
              RuntimeRandom& random) {
    switch (mode) {
        case IncrementMode::Add:
            working += increment;
            return;
        case IncrementMode::Subtract:
            working -= increment;
            return;
        case IncrementMode::Random: {
            const auto singleIncrement = static_cast<float>(increment);
            if (singleIncrement == 0.0F) {
                return;
            }
            std::int32_t offset = randomMagnitude(singleIncrement, random.next());
            if (random.next() % 2 != 0) {
                offset = -offset;
            }
            working = base + offset;
            return;
        }
    }
}

void StepDate(IncrementMode mode, std::int64_t base, std::int64_t& working,
              std::int64_t increment) {
    StepDate(mode, base, working, increment, dateStepRandom());
}

}  // namespace quorvel::batch
