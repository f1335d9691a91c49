// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ordered_parallel.h"

namespace quorvel::platform::detail {

std::uint64_t GrowingThreads::waitsOfThisThread() {
    // Windows counts no voluntary switches per thread. Each call counts as one, so an item
    // that took longer than kLongWait counts as one that waited: a read from a warm cache
    // takes far less, one that goes to a disk or a share takes more.
    thread_local std::uint64_t calls = 0;
    return ++calls;
}

}  // namespace quorvel::platform::detail
