// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quorvel::storage::cfb {

// Orders directory entry names as the format does (MS-CFB 2.6.4): a shorter name
// first; names of equal length by their upper-cased UTF-16 code units. Negative,
// zero or positive like strcmp.
int compareEntryNames(std::u16string_view a, std::u16string_view b);

}  // namespace quorvel::storage::cfb
