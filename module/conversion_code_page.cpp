#include "conversion_code_page.h"

#include <array>
#include <atomic>

namespace kio::module {

namespace {

UINT ResolveConversionCodePage() noexcept;

// Designates the resolving routine until the first use replaces it, once, with
// the routine it chose. Threads racing on the first use each resolve the same
// answer, so it does not matter whose exchange lands last.
constinit std::atomic<CodePageRoutine> selector{&ResolveConversionCodePage};

UINT ResolveConversionCodePage() noexcept {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) {
        version = OSVERSIONINFOA{};
    }
    const CodePageRoutine chosen = ChooseCodePageRoutine(version);
    selector.exchange(chosen);
    return chosen();
}

}  // namespace

UINT GetConversionCodePage() noexcept { return selector.load()(); }

CodePageRoutine ChooseCodePageRoutine(const OSVERSIONINFOA& version) noexcept {
    // CP_THREAD_ACP is known to the conversion functions from Windows 2000 on.
    const bool understandsThreadCodePage =
        version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
    return understandsThreadCodePage ? &ThreadAnsiCodePage : &LocaleAnsiCodePage;
}

UINT ThreadAnsiCodePage() noexcept { return CP_THREAD_ACP; }

UINT LocaleAnsiCodePage() noexcept {
    std::array<char, 7> digits{};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits.data(),
                       digits.size()) == 0) {
        return GetACP();
    }
    const UINT codePage = ParseCodePageNumber(digits.data());
    return codePage != 0 ? codePage : GetACP();
}

UINT ParseCodePageNumber(const char* digits) noexcept {
    UINT number = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        number = number * 10 + static_cast<UINT>(*digits - '0');
    }
    return number;
}

}  // namespace kio::module
