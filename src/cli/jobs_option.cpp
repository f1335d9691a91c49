// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/jobs_option.h"

#include <charconv>

namespace quorvel::cli {

bool parseJobs(std::string_view text, unsigned& jobs) {
    constexpr unsigned kMostJobs = 1024;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kMostJobs) {
        return false;
    }
    jobs = value;
    return true;
}

}  // namespace quorvel::cli
