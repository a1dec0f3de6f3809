#include "concurrent_calls.h"

#include <array>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace kio::binding::test {
namespace {

constexpr int kBindings = 54;
constexpr int kThreads = 8;
constexpr int kCallsPerThread = 10'000;

struct Outcome {
    int32_t result = 0;
    std::array<int32_t, kBindings> bindings{};

    bool operator==(const Outcome&) const = default;
};

// Each thread starts from its own defaults, so a value leaking from another
// thread's array would show.
std::array<int32_t, kBindings> DefaultsOf(int thread) {
    std::array<int32_t, kBindings> defaults;
    for (int slot = 0; slot < kBindings; ++slot) {
        defaults[slot] = -(thread * 100 + slot) - 1;
    }
    return defaults;
}

Outcome CallOnce(GetPamEntry getPam, int thread) {
    Outcome outcome{0, DefaultsOf(thread)};
    outcome.result = getPam(outcome.bindings.data(), kBindings, kTableOrder);
    return outcome;
}

}  // namespace

void ExpectConcurrentCallsAgree(GetPamEntry getPam) {
    std::array<Outcome, kThreads> first{};
    std::array<int, kThreads> mismatches{};
    std::array<int, kThreads> calls{};
    {
        // All threads wait here, spinning rather than asleep, so that the last to
        // arrive releases the others at once and their first calls race.
        std::atomic<int> notArrived{kThreads};
        std::vector<std::jthread> threads;
        threads.reserve(kThreads);
        for (int thread = 0; thread < kThreads; ++thread) {
            threads.emplace_back([thread, getPam, &notArrived, &first, &mismatches, &calls] {
                notArrived.fetch_sub(1);
                while (notArrived.load() != 0) {
                    std::this_thread::yield();
                }
                first[thread] = CallOnce(getPam, thread);
                calls[thread] = 1;
                for (; calls[thread] < kCallsPerThread; ++calls[thread]) {
                    mismatches[thread] += CallOnce(getPam, thread) == first[thread] ? 0 : 1;
                }
            });
        }
    }  // joins
    ASSERT_EQ(first[0].result, 0);
    ASSERT_NE(first[0].bindings, DefaultsOf(0)) << "the file bound nothing";
    for (int thread = 0; thread < kThreads; ++thread) {
        EXPECT_EQ(calls[thread], kCallsPerThread) << "thread " << thread;
        EXPECT_EQ(mismatches[thread], 0) << "thread " << thread;
        EXPECT_EQ(first[thread], CallOnce(getPam, thread)) << "thread " << thread;
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace kio::binding::test
