// The code page for converting between wide and multibyte text, chosen once on
// first use.
#pragma once

#include <windows.h>

namespace kio::module {

using CodePageRoutine = UINT (*)() noexcept;

// CP_THREAD_ACP where the system understands it, otherwise the thread locale's
// ANSI code page.
UINT GetConversionCodePage() noexcept;

// The routine that answers for a system of this version.
CodePageRoutine ChooseCodePageRoutine(const OSVERSIONINFOA& version) noexcept;

UINT ThreadAnsiCodePage() noexcept;
// The thread locale's default ANSI code page, read anew on each call; GetACP()
// when the locale gives none.
UINT LocaleAnsiCodePage() noexcept;

// The decimal number at the start of `digits`, up to its first non-digit.
UINT ParseCodePageNumber(const char* digits) noexcept;

}  // namespace kio::module
