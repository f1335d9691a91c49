// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quorvel::cli {

// "-j N" of the reading commands: how many files may be read at once (1 reads them one after
// the other). Results are shown in the order of the command line either way.
inline constexpr std::string_view kJobsOption = "-j";

// The value of -j: a whole number from 1 to 1024; false for anything else.
bool parseJobs(std::string_view text, unsigned& jobs);

}  // namespace quorvel::cli
