// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace quorvel::platform {

// Threads for reads that mostly wait on the file system: a few per core, at least 16.
unsigned defaultReadThreads();

namespace detail {

// The worker threads of one run. It starts with as many as there are cores and adds one, up
// to `limit`, each time an item waited long for the system (a read that went to a disk or a
// network share): reads from a warm cache then stay on few threads, where more would only
// cost switches and memory, while reads that wait for a share soon overlap up to the limit.
class GrowingThreads {
  public:
    // An item that blocked and took longer than this waited for more than a lock.
    static constexpr std::chrono::microseconds kLongWait{1000};
    // How many times the calling thread has blocked so far (an estimate where the system
    // keeps no count).
    static std::uint64_t waitsOfThisThread();

    // Each thread runs job(*this).
    GrowingThreads(unsigned limit, std::function<void(GrowingThreads&)> job);
    // Joins every thread; the job must be ending (the caller stopped it).
    ~GrowingThreads();
    GrowingThreads(const GrowingThreads&) = delete;
    GrowingThreads& operator=(const GrowingThreads&) = delete;

    // Starts one more thread, unless the limit is reached or the threads are being joined.
    void add();

  private:
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
    const unsigned m_limit;
    const std::function<void(GrowingThreads&)> m_job;
    bool m_joining = false;
};

// Results of items [0, count) waiting to be taken in index order; workers may run at most
// `window` items ahead of the taker.
template <typename Result>
class OrderedResults {
  public:
    struct Slot {
        std::optional<Result> value;
        std::exception_ptr failure;
        bool filled() const { return value || failure; }
    };
    // A taker that has to wait is woken once this many items from the next one on are
    // ready (or all that are left), not for each one: waking it costs more than an item.
    static constexpr std::size_t kBatch = 16;

    OrderedResults(std::size_t count, std::size_t window)
        : m_count(count), m_slots(std::max(window, kBatch)) {}

    // The next item to work on; nullopt when none is left or the taker stopped.
    std::optional<std::size_t> claim() {
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [&] {
            return m_stopped || m_next >= m_count || m_next < m_taken + m_slots.size();
        });
        if (m_stopped || m_next >= m_count) {
            return std::nullopt;
        }
        return m_next++;
    }
    void put(std::size_t index, Slot slot) {
        const std::lock_guard lock(m_mutex);
        m_slots[index % m_slots.size()] = std::move(slot);
        if (index < m_taken + kBatch && batchReady()) {
            m_filled.notify_one();
        }
    }
    // Item `index`, the one after the item taken last, once it is there.
    Slot take(std::size_t index) {
        std::unique_lock lock(m_mutex);
        Slot& slot = m_slots[index % m_slots.size()];
        if (!slot.filled()) {
            m_filled.wait(lock, [&] { return batchReady(); });
        }
        Slot taken = std::move(slot);
        slot = Slot{};
        m_taken = index + 1;
        // One more item may be claimed: one waiting worker is enough (stop() wakes them all).
        m_roomFreed.notify_one();
        return taken;
    }
    void stop() {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_roomFreed.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_roomFreed;
    const std::size_t m_count;
    std::vector<Slot> m_slots;
    std::size_t m_next = 0;
    std::size_t m_taken = 0;
    bool m_stopped = false;

    // Under the lock: the next kBatch items (or all that are left) are ready.
    bool batchReady() const {
        const std::size_t wanted = std::min(kBatch, m_count - m_taken);
        for (std::size_t k = 0; k < wanted; ++k) {
            if (!m_slots[(m_taken + k) % m_slots.size()].filled()) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace detail

// Runs produce(i) for i = 0 .. count - 1 on up to `threads` worker threads (fewer while no
// item waits for the system, see GrowingThreads) and hands each
// result to consume(i, result) on the calling thread, strictly in order of i, so that
// output and questions come in list order while the reads overlap. produce must be safe to
// run on several threads at once. consume returns false to stop: no further produce
// starts, and the call returns once those under way have ended. An exception from produce
// stops the run the same way and is rethrown here when its item's turn comes.
// threads <= 1 is a plain loop on the calling thread: produce(0), consume(0), produce(1)...
template <typename Produce, typename Consume>
void runInOrder(std::size_t count, unsigned threads, Produce produce, Consume consume) {
    using Result = std::invoke_result_t<Produce&, std::size_t>;
    if (threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!consume(i, produce(i))) {
                return;
            }
        }
        return;
    }
    // Enough results waiting to keep every worker busy while the caller is held up.
    detail::OrderedResults<Result> results(count, std::size_t{16} * threads);
    detail::GrowingThreads workers(
        static_cast<unsigned>(std::min<std::size_t>(threads, count)),
        [&](detail::GrowingThreads& pool) {
            while (const std::optional<std::size_t> index = results.claim()) {
                typename detail::OrderedResults<Result>::Slot slot;
                const std::uint64_t waits = detail::GrowingThreads::waitsOfThisThread();
                const auto started = std::chrono::steady_clock::now();
                try {
                    slot.value.emplace(produce(*index));
                } catch (...) {
                    slot.failure = std::current_exception();
                }
                if (std::chrono::steady_clock::now() - started >
                        detail::GrowingThreads::kLongWait &&
                    detail::GrowingThreads::waitsOfThisThread() != waits) {
                    pool.add();
                }
                results.put(*index, std::move(slot));
            }
        });
    // Declared after the workers, so that it stops them before they are joined.
    struct StopAtExit {
        detail::OrderedResults<Result>& results;
        ~StopAtExit() { results.stop(); }
    } stopAtExit{results};
    for (std::size_t i = 0; i < count; ++i) {
        auto slot = results.take(i);
        if (slot.failure) {
            std::rethrow_exception(slot.failure);
        }
        if (!consume(i, std::move(*slot.value))) {
            return;
        }
    }
}

}  // namespace quorvel::platform
