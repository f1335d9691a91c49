// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/overlapped_writes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::platform {
namespace {

// A caller's loop over `items` files, as the batch change runs it: a question about a file
// first waits for the writes before it; every third file needs no write.
struct Script {
    unsigned threads = 4;
    std::size_t items = 12;
    std::optional<std::size_t> questionAt;  // a question about this item
    bool answer = true;                     // the answer goes on
    std::optional<std::size_t> stopAt;      // done says stop after this item
    std::optional<std::size_t> throwAt;     // its write fails with an exception
};

struct Trace {
    std::vector<std::string> events;  // what the caller saw, and the writes where they ran
    std::size_t lastWritten = 0;      // the highest item whose write ran, + 1
};

Trace runScript(const Script& script) {
    Trace trace;
    std::mutex mutex;
    const auto log = [&](std::string event) {
        const std::lock_guard lock(mutex);
        trace.events.push_back(std::move(event));
    };
    const std::thread::id caller = std::this_thread::get_id();
    OverlappedWrites<std::size_t> writes(script.threads, [&](std::size_t item, std::size_t result) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(result, item * 10);
        log("done " + std::to_string(item));
        return item != script.stopAt;
    });
    try {
        for (std::size_t i = 0; i < script.items; ++i) {
            if (i == script.questionAt) {
                if (!writes.finish()) {
                    break;
                }
                log("ask " + std::to_string(i));
                if (!script.answer) {
                    break;
                }
            }
            const bool goOn = i % 3 == 2 ? writes.pass(i, i * 10) : writes.dispatch(i, [&, i] {
                // Earlier writes take longer, so that later ones end first.
                std::this_thread::sleep_for(std::chrono::microseconds(300 * ((12 - i % 12) % 4)));
                log("write " + std::to_string(i));
                {
                    const std::lock_guard lock(mutex);
                    trace.lastWritten = std::max(trace.lastWritten, i + 1);
                }
                if (i == script.throwAt) {
                    throw std::runtime_error("disk");
                }
                return i * 10;
            });
            if (!goOn) {
                break;
            }
        }
        writes.finish();
    } catch (const std::runtime_error& error) {
        log(std::string("threw ") + error.what());
    }
    return trace;
}

// The caller's events in order: "done 0", "done 1", "ask 2", ...
std::vector<std::string> expectedEvents(std::size_t doneUpTo, std::optional<std::size_t> ask,
                                        const std::string& last = {}) {
    std::vector<std::string> events;
    for (std::size_t i = 0; i < doneUpTo; ++i) {
        if (i == ask) {
            events.push_back("ask " + std::to_string(i));
        }
        events.push_back("done " + std::to_string(i));
    }
    if (ask == doneUpTo) {
        events.push_back("ask " + std::to_string(doneUpTo));
    }
    if (!last.empty()) {
        events.push_back(last);
    }
    return events;
}

std::vector<std::string> callerEvents(const Trace& trace) {
    std::vector<std::string> events;
    std::copy_if(trace.events.begin(), trace.events.end(), std::back_inserter(events),
                 [](const std::string& event) { return !event.starts_with("write "); });
    return events;
}

TEST(OverlappedWrites, ResultsQuestionsAndStopsKeepListOrder) {
    struct Case {
        const char* name;
        Script script;
        std::vector<std::string> events;
        std::size_t mostWritten;  // no write of this item or later ran
    };
    // After item 4, the four writes that may be in flight are those of 6, 7, 9 and 10.
    const Case cases[] = {
        {"plain run", {4, 12, {}, true, {}, {}}, expectedEvents(12, {}), 12},
        {"many threads", {64, 12, {}, true, {}, {}}, expectedEvents(12, {}), 12},
        {"question answered yes", {4, 12, 7, true, {}, {}}, expectedEvents(12, 7), 12},
        {"question answered no", {4, 12, 7, false, {}, {}}, expectedEvents(7, 7), 7},
        {"stop after a result", {4, 12, {}, true, 4, {}}, expectedEvents(5, {}), 11},
        {"stop before a question", {4, 12, 6, true, 4, {}}, expectedEvents(5, {}), 5},
        {"exception in a write", {4, 12, {}, true, {}, 4}, expectedEvents(4, {}, "threw disk"), 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int repeat = 0; repeat < 20; ++repeat) {
            const Trace trace = runScript(c.script);
            ASSERT_EQ(callerEvents(trace), c.events);
            EXPECT_LE(trace.lastWritten, c.mostWritten);
        }
    }
}

TEST(OverlappedWrites, OneThreadIsAPlainLoopOnTheCallingThread) {
    const Trace trace = runScript({1, 6, 4, true, {}, {}});
    const std::vector<std::string> loop = {"write 0", "done 0",  "write 1", "done 1",
                                           "done 2",  "write 3", "done 3",  "ask 4",
                                           "write 4", "done 4",  "done 5"};
    EXPECT_EQ(trace.events, loop);
    const Trace stopped = runScript({1, 6, {}, true, {}, 1});
    EXPECT_EQ(stopped.events,
              (std::vector<std::string>{"write 0", "done 0", "write 1", "threw disk"}));
}

}  // namespace
}  // namespace quorvel::platform
