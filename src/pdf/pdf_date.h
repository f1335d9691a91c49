// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvel::pdf {

// The moment of a PDF date ("D:20240305102030+09'00'") or of an XMP date
// ("2024-03-05T10:20:30.5+09:00") as a file time (100 ns since 1601-01-01 UTC). Fields
// after the year may be left out; a date without a zone is taken as UTC; fractions of a
// second are dropped. nullopt when it names no real moment from 1601 on.
std::optional<std::uint64_t> pdfDateFileTime(std::string_view text);

}  // namespace quorvel::pdf
