// kio.dll under Wine: many threads calling GetPAM at once, each with its own
// array, on the same file, from the first call after the library is loaded.
#include <gtest/gtest.h>

#include "concurrent_calls.h"
#include "kio_dll.h"

namespace kio::binding::test {
namespace {

TEST(DllConcurrency, ThreadsCallingAtOnceAgreeWithOneCallAlone) {
    const KioDll dll(WindowsPathOf(KIO_DLL_PATH).c_str());
    ASSERT_TRUE(dll.Loaded());
    const std::string contents = ReadWholeFile(WindowsPathOf(KIO_EXAMPLE_BINDING_FILE));
    ASSERT_FALSE(contents.empty());
    const BindingFileBesideExecutable file(contents);
    ExpectConcurrentCallsAgree(dll.GetPam());
}

}  // namespace
}  // namespace kio::binding::test
