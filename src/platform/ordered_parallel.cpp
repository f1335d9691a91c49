#include "platform/ordered_parallel.h"

namespace quorvel::platform {

unsigned defaultReadThreads() {
    // The threads mostly wait for the file system (a round trip per call on a network
    // share), so there are more of them than cores: on a share with 1 ms per call, 16 of
    // them read about 2,000 small documents a second.
    constexpr unsigned kPerCore = 4;
    constexpr unsigned kAtLeast = 16;
    return std::max(kAtLeast, kPerCore * std::thread::hardware_concurrency());
}

}  // namespace quorvel::platform
