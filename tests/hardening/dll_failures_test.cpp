// kio.dll under Wine: the failures only the Windows file services produce, each
// with its exact code and the caller's array untouched.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "kio_dll.h"
#include "test_files.h"

namespace kio::test {
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

struct Failure {
    const char* name;
    // Prepares the failure; what it returns is held until the call is over.
    std::function<std::unique_ptr<Handle>()> prepare;
    int32_t expected;
};

TEST(DllFailures, EachFailureOfTheFileGivesItsCodeAndTouchesNothing) {
    const KioDll dll(WindowsPathOf(KIO_DLL_PATH).c_str());
    ASSERT_TRUE(dll.Loaded());
    const std::string path = BindingFilePath();
    const Failure failures[] = {
        {"file missing", [] { return nullptr; }, static_cast<int32_t>(0x80070002)},
        {"another process writes the file",
         [&] {
             auto writer = std::make_unique<Handle>(
                 ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
             constexpr char kLine[] = "KB_Run=space\r\n";
             DWORD written = 0;
             EXPECT_TRUE(::WriteFile(writer->Get(), kLine, sizeof kLine - 1, &written, nullptr));
             return writer;
         },
         static_cast<int32_t>(0x80070020)},
        {"input.ini is a directory",
         [&] {
             EXPECT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
             return nullptr;
         },
         static_cast<int32_t>(0x80070005)},
        {"exactly 2^31 bytes",
         [] {
             MakeEmptyFileOfSize(uint64_t{1} << 31);
             return nullptr;
         },
         static_cast<int32_t>(0x80070057)},
        {"4 GiB + 10 bytes",
         [] {
             MakeEmptyFileOfSize((uint64_t{1} << 32) + 10);
             return nullptr;
         },
         static_cast<int32_t>(0x80070057)},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.name);
        auto bindings = Defaults();
        {
            const std::unique_ptr<Handle> held = failure.prepare();
            EXPECT_EQ(dll.GetPam()(bindings.data(), kBindings, kTableOrder), failure.expected);
        }
        EXPECT_EQ(bindings, Defaults());
        ::DeleteFileA(path.c_str());
        ::RemoveDirectoryA(path.c_str());
    }
}

}  // namespace
}  // namespace kio::test
