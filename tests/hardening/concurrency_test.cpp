// Many threads calling GetPAM at once, each with its own array, on the same
// file: every call gives what one call alone gives. Run under ThreadSanitizer
// this also proves the calls share nothing unsynchronised.
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "kio.h"
#include "real_files.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::test {
namespace {

constexpr int kThreads = 8;
constexpr int kCallsPerThread = 10'000;

struct Outcome {
    int32_t result = 0;
    std::array<int32_t, kBindingCount> bindings{};

    bool operator==(const Outcome&) const = default;
};

// Each thread starts from its own defaults, so a value leaking from another
// thread's array would show.
std::array<int32_t, kBindingCount> DefaultsOf(int thread) {
    std::array<int32_t, kBindingCount> defaults;
    for (int slot = 0; slot < kBindingCount; ++slot) {
        defaults[slot] = -(thread * 100 + slot) - 1;
    }
    return defaults;
}

Outcome CallOnce(int thread) {
    Outcome outcome{0, DefaultsOf(thread)};
    outcome.result = GetPAM(outcome.bindings.data(), kBindingCount, kTableOrder);
    return outcome;
}

std::string ExampleBindingFile() {
    std::ifstream in(KIO_EXAMPLE_BINDING_FILE, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(Concurrency, ThreadsCallingAtOnceAgreeWithOneCallAlone) {
    const std::string contents = ExampleBindingFile();
    ASSERT_FALSE(contents.empty());
    const BindingFileBesideExecutable file(contents);

    std::vector<Outcome> expected;
    for (int thread = 0; thread < kThreads; ++thread) {
        expected.push_back(CallOnce(thread));
    }
    ASSERT_EQ(expected[0].result, 0);
    ASSERT_NE(expected[0].bindings, DefaultsOf(0)) << "the file bound nothing";

    std::array<int, kThreads> mismatches{};
    std::array<int, kThreads> calls{};
    std::vector<std::jthread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([thread, &expected, &mismatches, &calls] {
            for (int call = 0; call < kCallsPerThread; ++call) {
                mismatches[thread] += CallOnce(thread) == expected[thread] ? 0 : 1;
                ++calls[thread];
            }
        });
    }
    threads.clear();  // joins

    for (int thread = 0; thread < kThreads; ++thread) {
        EXPECT_EQ(calls[thread], kCallsPerThread) << "thread " << thread;
        EXPECT_EQ(mismatches[thread], 0) << "thread " << thread;
    }
}

}  // namespace
}  // namespace kio::test
