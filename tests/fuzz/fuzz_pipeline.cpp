// Drives the whole loader, from the bytes of "input.ini" to the 54 values, under
// code pages 1252 and 932, with fuzzed action lists, binding counts and file
// faults. Beyond the sanitizers' own checks it insists on the exact result code,
// an untouched array on every failure, and a file closed as often as opened.
#include <cstdio>
#include <cstdlib>

#include "fuzz_call.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_pipeline: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kio::binding::fuzz;
    const FuzzCall call = DecodeFuzzCall(data, size);
    const auto defaults = DistinctDefaults();
    const CallOutcome outcome = RunCall(call, call.fileBytes, defaults);

    Require(outcome.result == ExpectedResult(call), "unexpected result code");
    Require(outcome.opens == outcome.closes, "the file was left open");
    if (kio::binding::Failed(outcome.result)) {
        Require(outcome.bindings == defaults, "a failed call changed the array");
    }
    return 0;
}
