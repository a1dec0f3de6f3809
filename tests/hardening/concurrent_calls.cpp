#include "concurrent_calls.h"

#include <array>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace kio::test {
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
    std::vector<Outcome> expected;
    for (int thread = 0; thread < kThreads; ++thread) {
        expected.push_back(CallOnce(getPam, thread));
    }
    ASSERT_EQ(expected[0].result, 0);
    ASSERT_NE(expected[0].bindings, DefaultsOf(0)) << "the file bound nothing";

    std::array<int, kThreads> mismatches{};
    std::array<int, kThreads> calls{};
    {
        std::vector<std::jthread> threads;
        for (int thread = 0; thread < kThreads; ++thread) {
            threads.emplace_back([thread, getPam, &expected, &mismatches, &calls] {
                for (int call = 0; call < kCallsPerThread; ++call) {
                    mismatches[thread] += CallOnce(getPam, thread) == expected[thread] ? 0 : 1;
                    ++calls[thread];
                }
            });
        }
    }  // joins
    for (int thread = 0; thread < kThreads; ++thread) {
        EXPECT_EQ(calls[thread], kCallsPerThread) << "thread " << thread;
        EXPECT_EQ(mismatches[thread], 0) << "thread " << thread;
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace kio::test
