#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
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

// Results of items [0, count) waiting to be taken in index order; workers may run at most
// `window` items ahead of the taker.
template <typename Result>
class OrderedResults {
  public:
    struct Slot {
        std::optional<Result> value;
        std::exception_ptr failure;
    };

    OrderedResults(std::size_t count, std::size_t window) : m_count(count), m_slots(window) {}

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
        // The taker only ever waits for the item after the one it took last.
        if (index == m_taken) {
            m_filled.notify_one();
        }
    }
    // Waits for item `index`, the one after the item taken last.
    Slot take(std::size_t index) {
        std::unique_lock lock(m_mutex);
        Slot& slot = m_slots[index % m_slots.size()];
        m_filled.wait(lock, [&] { return slot.value || slot.failure; });
        Slot taken = std::move(slot);
        slot = Slot{};
        m_taken = index + 1;
        m_roomFreed.notify_all();
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
};

}  // namespace detail

// Runs produce(i) for i = 0 .. count - 1 on up to `threads` worker threads and hands each
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
    std::vector<std::jthread> workers;
    // Declared after the workers, so that it stops them before they are joined.
    struct StopAtExit {
        detail::OrderedResults<Result>& results;
        ~StopAtExit() { results.stop(); }
    } stopAtExit{results};
    const std::size_t workerCount = std::min<std::size_t>(threads, count);
    for (std::size_t t = 0; t < workerCount; ++t) {
        workers.emplace_back([&] {
            while (const std::optional<std::size_t> index = results.claim()) {
                typename detail::OrderedResults<Result>::Slot slot;
                try {
                    slot.value.emplace(produce(*index));
                } catch (...) {
                    slot.failure = std::current_exception();
                }
                results.put(*index, std::move(slot));
            }
        });
    }
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
