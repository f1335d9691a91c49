#include "platform/ordered_parallel.h"

namespace quorvel::platform {

unsigned defaultReadThreads() {
    // The threads mostly wait for the file system (a round trip per call on a network
    // share), so there are more of them than cores.
    constexpr unsigned kPerCore = 4;
    constexpr unsigned kAtLeast = 8;
    return std::max(kAtLeast, kPerCore * std::thread::hardware_concurrency());
}

}  // namespace quorvel::platform
