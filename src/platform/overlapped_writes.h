// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace quorvel::platform {

// Writes a run keeps going at once: a durable write mostly waits for its syncs, and the syncs
// of writes to different files that wait together share the file system's journal commits.
unsigned defaultWriteThreads();

// The writes of a run, overlapped: the calling thread dispatches one job per file in list
// order, up to `threads` of them run at once on worker threads, and each result is handed to
// done(item, result) on the calling thread in dispatch order, so that messages and questions
// keep list order. A job is one file's whole write, so each file keeps its own order of syncs.
// Before a question about a later file, the caller calls finish(): the writes of the files
// before it have then ended and been reported.
// done returns false to stop: nothing more is dispatched or started, and the results of jobs
// already running are dropped (those files may have been written). An exception from a job
// stops the run the same way and is rethrown from the call that hands back its result.
// threads <= 1 runs each job on the spot: dispatch(i, job) is done(i, job()).
// Whatever the jobs refer to must outlive this object: its destructor waits for them.
template <typename Result>
class OverlappedWrites {
  public:
    using Job = std::function<Result()>;
    using Done = std::function<bool(std::size_t, Result)>;

    OverlappedWrites(unsigned threads, Done done) : m_threads(threads), m_done(std::move(done)) {}
    ~OverlappedWrites() {
        {
            const std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_jobQueued.notify_all();
        for (std::thread& worker : m_workers) {
            worker.join();
        }
    }
    OverlappedWrites(const OverlappedWrites&) = delete;
    OverlappedWrites& operator=(const OverlappedWrites&) = delete;

    // Hands back the results that are ready, waits while `threads` jobs run, then starts job
    // for item. False, with job not run, once the run has stopped.
    bool dispatch(std::size_t item, Job job) {
        if (m_threads <= 1) {
            return !m_stopped && deliver(item, runJob(job));
        }
        handBack(Wait::ForRoom);
        if (m_stopped) {
            return false;
        }
        const std::lock_guard lock(m_mutex);
        Slot& slot = m_slots.emplace_back(Slot{item, {}, false});
        if (!hasWorkerFor(m_running + 1)) {
            slot.outcome = runJob(job);
            slot.ready = true;
            return true;
        }
        ++m_running;
        m_queue.emplace_back(&slot, std::move(job));
        m_jobQueued.notify_one();
        return true;
    }

    // Queues a result that needs no worker (nothing to write) behind the jobs in flight; it is
    // handed back when its turn comes. False once the run has stopped.
    bool pass(std::size_t item, Result result) {
        if (m_stopped) {
            return false;
        }
        {
            const std::lock_guard lock(m_mutex);
            Slot& slot = m_slots.emplace_back(Slot{item, {}, false});
            slot.outcome.value.emplace(std::move(result));
            slot.ready = true;
        }
        handBack(Wait::No);
        return !m_stopped;
    }

    // Waits for every job dispatched and hands back every result; false once the run has
    // stopped.
    bool finish() {
        handBack(Wait::ForAll);
        return !m_stopped;
    }

    bool stopped() const { return m_stopped; }

  private:
    struct Outcome {
        std::optional<Result> value;
        std::exception_ptr failure;
    };
    struct Slot {
        std::size_t item = 0;
        Outcome outcome;
        bool ready = false;
    };
    enum class Wait { No, ForRoom, ForAll };

    static Outcome runJob(Job& job) {
        Outcome outcome;
        try {
            outcome.value.emplace(job());
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        return outcome;
    }

    // Under the lock: a thread is there for `running` jobs; false when the system gives none.
    bool hasWorkerFor(std::size_t running) {
        if (m_workers.size() >= running) {
            return true;
        }
        try {
            m_workers.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            // Those there are take the job in turn.
        }
        return !m_workers.empty();
    }

    void work() {
        std::unique_lock lock(m_mutex);
        while (true) {
            m_jobQueued.wait(lock, [&] { return m_closing || !m_queue.empty(); });
            if (m_queue.empty()) {
                return;
            }
            auto [slot, job] = std::move(m_queue.front());
            m_queue.pop_front();
            if (!m_stopped) {
                lock.unlock();
                Outcome outcome = runJob(job);
                lock.lock();
                slot->outcome = std::move(outcome);
            }
            slot->ready = true;
            --m_running;
            m_jobEnded.notify_one();
        }
    }

    // Hands the ready results at the front to done, waiting as asked, until the run stops.
    void handBack(Wait wait) {
        std::unique_lock lock(m_mutex);
        while (!m_stopped) {
            if (!m_slots.empty() && m_slots.front().ready) {
                Slot slot = std::move(m_slots.front());
                m_slots.pop_front();
                lock.unlock();
                deliver(slot.item, std::move(slot.outcome));
                lock.lock();
                continue;
            }
            const bool full = wait == Wait::ForRoom && m_running >= m_threads;
            if (!full && (wait != Wait::ForAll || m_slots.empty())) {
                return;
            }
            m_jobEnded.wait(lock);
        }
    }

    // On the calling thread: done(item, result), or the job's exception.
    bool deliver(std::size_t item, Outcome outcome) {
        try {
            if (outcome.failure) {
                std::rethrow_exception(outcome.failure);
            }
            m_stopped = !m_done(item, std::move(*outcome.value));
        } catch (...) {
            m_stopped = true;
            throw;
        }
        return !m_stopped;
    }

    const unsigned m_threads;
    const Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_jobQueued;
    std::condition_variable m_jobEnded;
    std::list<Slot> m_slots;  // in dispatch order; a list, so that a worker's slot stays put
    std::deque<std::pair<Slot*, Job>> m_queue;
    std::vector<std::thread> m_workers;
    std::size_t m_running = 0;  // dispatched jobs not yet ended
    bool m_closing = false;
    // Set on the calling thread, read by the workers.
    std::atomic<bool> m_stopped = false;
};

}  // namespace quorvel::platform
