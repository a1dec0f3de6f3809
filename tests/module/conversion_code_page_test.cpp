#include <windows.h>

#include <gtest/gtest.h>

#include "conversion_code_page.h"

namespace kio::module {
namespace {

TEST(ConversionCodePageTest, RoutineDependsOnPlatformAndVersion) {
    struct Case {
        DWORD platform;
        DWORD major;
        CodePageRoutine expected;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 10, &ThreadAnsiCodePage},
        {VER_PLATFORM_WIN32_NT, 5, &ThreadAnsiCodePage},  // Windows 2000
        {VER_PLATFORM_WIN32_NT, 4, &LocaleAnsiCodePage},
        {VER_PLATFORM_WIN32_WINDOWS, 5, &LocaleAnsiCodePage},  // Windows 98/Me family
        {VER_PLATFORM_WIN32s, 5, &LocaleAnsiCodePage},
        {0, 0, &LocaleAnsiCodePage},  // what an unanswered version query leaves
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        EXPECT_EQ(ChooseCodePageRoutine(version), c.expected) << c.platform << " " << c.major;
    }
}

TEST(ConversionCodePageTest, ParsesTheLocalesDecimalDigits) {
    struct Case {
        const char* digits;
        UINT expected;
    };
    const Case cases[] = {
        {"932", 932}, {"1252", 1252}, {"65001", 65001}, {"0", 0}, {"", 0}, {"12x4", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseCodePageNumber(c.digits), c.expected) << c.digits;
    }
}

TEST(ConversionCodePageTest, AnswersForThisSystem) {
    EXPECT_EQ(ThreadAnsiCodePage(), static_cast<UINT>(CP_THREAD_ACP));
    EXPECT_EQ(LocaleAnsiCodePage(), GetACP());
    // Wine reports an NT system of version 5 or later; the answer stays the same
    // once the selector has been replaced.
    EXPECT_EQ(GetConversionCodePage(), static_cast<UINT>(CP_THREAD_ACP));
    EXPECT_EQ(GetConversionCodePage(), static_cast<UINT>(CP_THREAD_ACP));
}

}  // namespace
}  // namespace kio::module
