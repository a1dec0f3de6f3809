#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "type_library_registration.h"

namespace kio::module {
namespace {

TEST(HelpDirectoryTest, EndsAfterTheLastSeparator) {
    struct Case {
        const wchar_t* path;
        const wchar_t* helpDirectory;
    };
    const Case cases[] = {
        {L"C:\\Games\\Kio\\kio.tlb", L"C:\\Games\\Kio\\"},
        {L"C:/Games/Kio/kio.tlb", L"C:/Games/Kio/"},
        {L"C:\\Games/Kio\\kio.tlb", L"C:\\Games/Kio\\"},
        {L"C:kio.tlb", L"C:"},
        {L"\\\\server\\share\\kio.tlb", L"\\\\server\\share\\"},
        {L"C:\\Games\\", L"C:\\Games\\"},
        {L"kio.tlb", L""},
        {L"", L""},
    };
    for (const Case& c : cases) {
        const std::wstring path(c.path);
        EXPECT_EQ(path.substr(0, HelpDirectoryLength(c.path)), c.helpDirectory);
    }
}

TEST(ModulePathTest, RejectsMissingAndPossiblyCutPaths) {
    struct Case {
        DWORD length;
        DWORD lastError;
        HRESULT expected;
    };
    const Case cases[] = {
        {1, ERROR_SUCCESS, S_OK},
        {259, ERROR_SUCCESS, S_OK},
        {259, ERROR_INSUFFICIENT_BUFFER, S_OK},  // a stale error does not matter
        {260, ERROR_INSUFFICIENT_BUFFER, HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)},
        {260, ERROR_SUCCESS, HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)},  // older systems
        {0, ERROR_MOD_NOT_FOUND, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {0, ERROR_SUCCESS, E_FAIL},  // a failure never reads as success
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModulePathResult(c.length, MAX_PATH, c.lastError), c.expected)
            << c.length << " " << c.lastError;
    }
}

}  // namespace
}  // namespace kio::module
