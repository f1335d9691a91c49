// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvel::props {

// Outcome of a property operation: 0 for success, otherwise the id of the string
// that describes the failure.
using MessageCode = std::uint8_t;

inline constexpr MessageCode kSuccess = 0;
inline constexpr MessageCode kFileNotFound = 102;
inline constexpr MessageCode kNotCompoundFile = 103;
inline constexpr MessageCode kCannotOpenDocument = 104;
inline constexpr MessageCode kNoPropertyInterface = 105;
inline constexpr MessageCode kNoSummary = 106;
inline constexpr MessageCode kSummaryReadFailed = 107;
inline constexpr MessageCode kSummaryWriteFailed = 108;
inline constexpr MessageCode kNoDocSummary = 109;
inline constexpr MessageCode kDocSummaryReadFailed = 110;
inline constexpr MessageCode kDocSummaryWriteFailed = 111;
// PDF: a write refused with the file untouched, or a field it has no place for.
inline constexpr MessageCode kPdfEncrypted = 160;
inline constexpr MessageCode kPdfSigned = 161;
inline constexpr MessageCode kPdfNotWritable = 162;
inline constexpr MessageCode kPdfFieldWithoutPlace = 163;

// The user-visible text of a code (UTF-8); empty for 0 and for unknown codes.
std::string_view messageCodeText(MessageCode code);

}  // namespace quorvel::props
