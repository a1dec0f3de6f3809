// kio.dll under Wine: files of 2^31 bytes or more are refused before any read,
// with the caller's array untouched. (Missing, locked and directory files are
// covered by the DLL host in tests/dll.)
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "kio_dll.h"
#include "test_files.h"

namespace kio::binding::test {
namespace {

constexpr int kBindings = 54;

std::array<int32_t, kBindings> Defaults() {
    std::array<int32_t, kBindings> defaults;
    defaults.fill(-3);
    return defaults;
}

// Closes a Win32 handle on every way out.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

std::string BindingFilePath() { return (ExecutableDirectory() / "input.ini").string(); }

// A file of `size` bytes that holds no data: the host stores it sparsely.
void MakeEmptyFileOfSize(uint64_t size) {
    const Handle file(::CreateFileA(BindingFilePath().c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
}

TEST(DllFailures, OversizedFilesAreRefused) {
    const KioDll dll(WindowsPathOf(KIO_DLL_PATH).c_str());
    ASSERT_TRUE(dll.Loaded());
    // The full 64-bit size counts: 4 GiB + 10 bytes is not read as 10 bytes.
    for (const uint64_t size : {uint64_t{1} << 31, (uint64_t{1} << 32) + 10}) {
        SCOPED_TRACE(size);
        MakeEmptyFileOfSize(size);
        auto bindings = Defaults();
        EXPECT_EQ(dll.GetPam()(bindings.data(), kBindings, kTableOrder),
                  static_cast<int32_t>(0x80070057));
        EXPECT_EQ(bindings, Defaults());
        ::DeleteFileA(BindingFilePath().c_str());
    }
}

}  // namespace
}  // namespace kio::binding::test
