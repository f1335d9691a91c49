// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ordered_parallel.h"

#include <system_error>

namespace quorvel::platform {

unsigned defaultReadThreads() {
    // The threads mostly wait for the file system (a round trip per call on a network
    // share), so there are more of them than cores: on a share with 1 ms per call, 16 of
    // them read about 2,000 small documents a second.
    constexpr unsigned kPerCore = 4;
    constexpr unsigned kAtLeast = 16;
    return std::max(kAtLeast, kPerCore * std::thread::hardware_concurrency());
}

namespace detail {

GrowingThreads::GrowingThreads(unsigned limit, std::function<void(GrowingThreads&)> job)
    : m_limit(limit), m_job(std::move(job)) {
    const unsigned first = std::min(limit, std::max(2U, std::thread::hardware_concurrency()));
    for (unsigned i = 0; i < first; ++i) {
        add();
    }
}

GrowingThreads::~GrowingThreads() {
    {
        const std::lock_guard lock(m_mutex);
        m_joining = true;
    }
    // No thread is added any more: the list stays as it is.
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void GrowingThreads::add() {
    const std::lock_guard lock(m_mutex);
    if (m_joining || m_threads.size() >= m_limit) {
        return;
    }
    try {
        m_threads.emplace_back([this] { m_job(*this); });
    } catch (const std::system_error&) {
        // The system refuses more threads: those there are do the work. Without any, the
        // run cannot start, and the caller learns it.
        if (m_threads.empty()) {
            throw;
        }
    }
}

}  // namespace detail
}  // namespace quorvel::platform
