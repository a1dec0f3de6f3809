// The Win32 services and code page, driven directly against real files.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "code_page.h"
#include "platform.h"
#include "scratch_files.h"

namespace kio::binding {
namespace {

using dll_test::ScratchDirectory;
using dll_test::UniqueHandle;
using dll_test::WriteWholeFile;

std::string TempDirectoryName(const char* name) {
    char temp[MAX_PATH];
    EXPECT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    return std::string(temp) + name + std::to_string(::GetCurrentProcessId());
}

TEST(Win32FileSystem, HostPathIsTheExecutable) {
    PathBuffer path;
    ASSERT_EQ(SystemFileSystem().getHostExecutablePath(path), kOk);
    EXPECT_EQ(std::string(path.View()), dll_test::ModulePath());
    EXPECT_EQ(path.bytes[path.length], '\0');
}

TEST(Win32FileSystem, OpenFailuresGiveTheSystemsCodes) {
    ScratchDirectory directory(TempDirectoryName("kio-platform-open-"));
    ASSERT_TRUE(directory.Created());
    const struct {
        std::string path;
        ResultCode expected;
    } cases[] = {
        {directory.Join("missing.ini"), ResultFromWin32(win32_error::kFileNotFound)},
        {directory.Join("missing\\input.ini"), ResultFromWin32(win32_error::kPathNotFound)},
        {directory.Path(), ResultFromWin32(win32_error::kAccessDenied)},
    };
    for (const auto& c : cases) {
        FileHandle handle = 0;
        EXPECT_EQ(SystemFileSystem().openForReading(c.path.c_str(), handle), c.expected) << c.path;
    }
}

TEST(Win32FileSystem, ReadsTheWholeFileAndReportsAShortRead) {
    ScratchDirectory directory(TempDirectoryName("kio-platform-read-"));
    const std::string path = directory.Join("input.ini");
    const std::string bytes("KB_Run=space\0\xFF\r\n", 16);
    ASSERT_TRUE(WriteWholeFile(path, bytes));

    const FileSystem& files = SystemFileSystem();
    FileHandle handle = 0;
    ASSERT_EQ(files.openForReading(path.c_str(), handle), kOk);
    uint64_t size = 0;
    EXPECT_EQ(files.getSize(handle, size), kOk);
    EXPECT_EQ(size, bytes.size());
    char buffer[32] = {};
    uint32_t got = 0;
    // Asking for more than the file holds delivers what there is.
    EXPECT_EQ(files.read(handle, buffer, sizeof buffer, got), kOk);
    EXPECT_EQ(std::string(buffer, got), bytes);
    files.close(handle);

    // The handle is closed: the file can be opened again without sharing.
    UniqueHandle exclusive(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(exclusive.Valid());
}

TEST(Win32FileSystem, SizeKeepsTheHighPart) {
    ScratchDirectory directory(TempDirectoryName("kio-platform-size-"));
    const std::string path = directory.Join("input.ini");
    constexpr uint64_t kSize = (uint64_t{1} << 32) + 5;  // low part 5, sparse on disk
    {
        UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid());
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(kSize);
        ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.Get()));
    }
    FileHandle handle = 0;
    ASSERT_EQ(SystemFileSystem().openForReading(path.c_str(), handle), kOk);
    uint64_t size = 0;
    EXPECT_EQ(SystemFileSystem().getSize(handle, size), kOk);
    EXPECT_EQ(size, kSize);
    SystemFileSystem().close(handle);
}

TEST(Win32CodePage, CapturesTheAnsiCodePage) {
    const CodePage& page = ProcessCodePage();
    EXPECT_EQ(page.id, ::GetACP());
    EXPECT_EQ(&page, &ProcessCodePage()) << "captured once";
    for (int b = 'A'; b <= 'Z'; ++b) {
        EXPECT_EQ(page.lower[b], b - 'A' + 'a');
        EXPECT_TRUE(page.IsAlpha(static_cast<uint8_t>(b)));
    }
    EXPECT_TRUE(page.IsAlphaNumeric('7'));
    EXPECT_FALSE(page.IsAlpha('7'));
    EXPECT_FALSE(page.IsAlphaNumeric('='));
}

// Where the library has a built-in table for the system's code page, it must
// agree with the system byte for byte: the built-in tables stand in for
// Windows on other platforms. Run once per locale; KIO_EXPECTED_CODE_PAGE names
// the code page the locale must give, so that a locale that did not reach the
// system cannot pass as a skipped test.
TEST(Win32CodePage, AgreesWithTheBuiltInTable) {
    const CodePage& page = ProcessCodePage();
    if (const char* expected = std::getenv("KIO_EXPECTED_CODE_PAGE")) {
        ASSERT_EQ(page.id, std::strtoul(expected, nullptr, 10));
    }
    const CodePage* builtIn = FindBuiltInCodePage(page.id);
    if (builtIn == nullptr) {
        GTEST_SKIP() << "no built-in table for code page " << page.id;
    }
    EXPECT_EQ(page.hasLeadBytes, builtIn->hasLeadBytes);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(page.traits[b], builtIn->traits[b]) << "lead byte and classes of byte " << b;
        EXPECT_EQ(page.lower[b], builtIn->lower[b]) << "lowercase of byte " << b;
    }
}

}  // namespace
}  // namespace kio::binding
