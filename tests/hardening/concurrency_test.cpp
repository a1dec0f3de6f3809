// Many threads calling GetPAM in libkio.so at once, each with its own array, on
// the same file, from the process's very first call on: this binary holds this
// test alone. Run under ThreadSanitizer this also proves the calls share
// nothing unsynchronised.
#include <gtest/gtest.h>

#include "concurrent_calls.h"
#include "real_files.h"

namespace kio::binding::test {
namespace {

TEST(Concurrency, ThreadsCallingAtOnceAgreeWithOneCallAlone) {
    const std::string contents = ReadWholeFile(KIO_EXAMPLE_BINDING_FILE);
    ASSERT_FALSE(contents.empty());
    const BindingFileBesideExecutable file(contents);
    ExpectConcurrentCallsAgree(&GetPAM);
}

}  // namespace
}  // namespace kio::binding::test
