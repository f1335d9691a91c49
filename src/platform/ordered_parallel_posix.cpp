// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ordered_parallel.h"

#include <sys/resource.h>

namespace quorvel::platform::detail {

std::uint64_t GrowingThreads::waitsOfThisThread() {
    // Voluntary context switches: the thread blocked, in a read or a sleep.
    rusage usage{};
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? static_cast<std::uint64_t>(usage.ru_nvcsw) : 0;
}

}  // namespace quorvel::platform::detail
