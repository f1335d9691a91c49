// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace quorvel::batch {

// How StepDate moves a working date after each file; other values leave dates unchanged.
enum class IncrementMode : std::uint8_t { Add = 1, Subtract = 2, Random = 3 };

// Increment slots. File and folder time stamps use slot 0 for the creation time and slot 2
// for the access time; slot 1 moves no time stamp.
inline constexpr std::size_t kIncrementSlotEditAccess = 0;
inline constexpr std::size_t kIncrementSlotPrinted = 1;
inline constexpr std::size_t kIncrementSlotCreated = 2;
inline constexpr std::size_t kIncrementSlotLastSaved = 3;
inline constexpr std::size_t kIncrementSlotCount = 4;

// The per-file date increments; kept for the whole run of the program, never stored.
struct DateIncrementSettings {
    IncrementMode mode = IncrementMode::Random;
    std::array<std::int64_t, kIncrementSlotCount> increment{};  // seconds
    std::array<std::uint32_t, kIncrementSlotCount> days{};
    std::array<std::uint32_t, kIncrementSlotCount> hours{};
    std::array<std::uint32_t, kIncrementSlotCount> minutes{};
};

// ((days * 24 + hours) * 60 + minutes) * 60
std::int64_t incrementSeconds(std::uint32_t days, std::uint32_t hours, std::uint32_t minutes);

// The classic C runtime's rand(): the same sequence of 0..32767 in every run of the program.
class RuntimeRandom {
  public:
    int next();

  private:
    std::uint32_t m_state = 1;
};

// The process-wide generator that the date steps draw from; never reseeded.
RuntimeRandom& dateStepRandom();

// Moves working (seconds since 1970 UTC) on to the next file: cumulatively by increment for
// Add and Subtract; for Random to base plus a fresh offset of at most the increment, drawing
// two numbers (magnitude, then sign) unless the increment is 0.
void StepDate(IncrementMode mode, std::int64_t base, std::int64_t& working, std::int64_t increment,
              RuntimeRandom& random);
void StepDate(IncrementMode mode, std::int64_t base, std::int64_t& working, std::int64_t increment);

}  // namespace quorvel::batch
