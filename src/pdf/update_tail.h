// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "io/block_device.h"

namespace quorvel::pdf {

// Every update this program appends begins with this comment, the length of the file before
// the update and an end of line, and holds no other "%" up to its closing "%%EOF". A write
// killed part-way leaves a tail that this tells from anything another program wrote.
inline constexpr std::string_view kUpdateMarker = "%QuorvelUpdate ";

// The length of the document on device without a torn update of this program at its end:
// the whole file when it ends with "%%EOF" or its tail is not such an update.
std::uint64_t intactLength(io::BlockDevice& device);

// The offset that the last "startxref" within the first length bytes names; nullopt when
// there is none near the end or it names no offset before length.
std::optional<std::uint64_t> lastStartxref(io::BlockDevice& device, std::uint64_t length);

}  // namespace quorvel::pdf
