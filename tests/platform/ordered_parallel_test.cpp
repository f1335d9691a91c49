// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ordered_parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::platform {
namespace {

using namespace std::chrono_literals;

TEST(OrderedParallel, ResultsArriveInOrderOnTheCallingThreadWhateverOrderTheyFinishIn) {
    for (const unsigned threads : {2u, 8u, 64u}) {
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::size_t> delivered;
        std::atomic<int> produced = 0;
        std::mutex idsMutex;
        std::set<std::thread::id> producers;
        runInOrder(
            300, threads,
            [&](std::size_t i) {
                // Early items take longest, so later ones finish first.
                std::this_thread::sleep_for(std::chrono::microseconds(i % 7 == 0 ? 300 : 10));
                ++produced;
                const std::lock_guard lock(idsMutex);
                producers.insert(std::this_thread::get_id());
                return std::to_string(i);
            },
            [&](std::size_t i, std::string text) {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                EXPECT_EQ(text, std::to_string(i));
                delivered.push_back(i);
                return true;
            });
        ASSERT_EQ(delivered.size(), 300u) << threads << " threads";
        for (std::size_t i = 0; i < delivered.size(); ++i) {
            EXPECT_EQ(delivered[i], i);
        }
        EXPECT_EQ(produced, 300);
        EXPECT_EQ(producers.count(caller), 0u) << "the caller only consumes";
    }
}

TEST(OrderedParallel, SlowItemsSpreadOverEveryThreadQuickOnesStayOnFew) {
    struct Case {
        std::size_t items;
        unsigned threads;
        std::chrono::microseconds wait;  // as a read that waits for a network share
    };
    for (const Case c : {Case{120, 8, 3ms}, Case{3000, 64, 0us}}) {
        // Counted without locks, which could make quick items wait.
        std::atomic<int> workers = 0;
        std::atomic<int> running = 0;
        std::atomic<int> mostAtOnce = 0;
        runInOrder(
            c.items, c.threads,
            [&](std::size_t i) {
                thread_local bool counted = false;
                if (!counted) {
                    counted = true;
                    ++workers;
                }
                const int now = ++running;
                for (int most = mostAtOnce;
                     now > most && !mostAtOnce.compare_exchange_weak(most, now);) {
                }
                if (c.wait > 0us) {
                    std::this_thread::sleep_for(c.wait);
                } else {
                    // A read from the cache: busy, never blocked, long enough for all to start.
                    const auto end = std::chrono::steady_clock::now() + 20us;
                    while (std::chrono::steady_clock::now() < end) {
                    }
                }
                --running;
                return i;
            },
            [](std::size_t, std::size_t) { return true; });
        if (c.wait > 0us) {
            EXPECT_EQ(mostAtOnce, 8) << "waiting items";
        } else {
            EXPECT_LT(workers, 64) << "quick items";
        }
    }
}

TEST(OrderedParallel, OneThreadIsAPlainLoopOnTheCallingThread) {
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::string> steps;
    runInOrder(
        3, 1,
        [&](std::size_t i) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            steps.push_back("produce " + std::to_string(i));
            return i;
        },
        [&](std::size_t i, std::size_t) {
            steps.push_back("consume " + std::to_string(i));
            return i < 1;
        });
    EXPECT_EQ(steps,
              (std::vector<std::string>{"produce 0", "consume 0", "produce 1", "consume 1"}));
}

TEST(OrderedParallel, StoppingEndsTheRunAndWorkersStayWithinTheirLead) {
    constexpr unsigned kThreads = 4;
    std::atomic<std::size_t> produced = 0;
    std::vector<std::size_t> delivered;
    runInOrder(
        100'000, kThreads,
        [&](std::size_t i) {
            ++produced;
            return i;
        },
        [&](std::size_t i, std::size_t) {
            if (i == 0) {
                // However long the caller takes, the workers wait for it.
                std::this_thread::sleep_for(50ms);
            }
            delivered.push_back(i);
            return i < 9;
        });
    EXPECT_EQ(delivered.size(), 10u);
    // Items 0 to 9, plus at most one lead of results and one item per thread under way.
    EXPECT_LE(produced, 10 + 16 * kThreads + kThreads);
}

TEST(OrderedParallel, AFailureReachesTheCallerInItsTurn) {
    for (const unsigned threads : {1u, 4u}) {
        std::vector<std::size_t> delivered;
        EXPECT_THROW(runInOrder(
                         50, threads,
                         [](std::size_t i) {
                             if (i == 3) {
                                 throw std::runtime_error("item 3");
                             }
                             return i;
                         },
                         [&](std::size_t i, std::size_t) {
                             delivered.push_back(i);
                             return true;
                         }),
                     std::runtime_error);
        EXPECT_EQ(delivered, (std::vector<std::size_t>{0, 1, 2})) << threads << " threads";
    }
}

}  // namespace
}  // namespace quorvel::platform
