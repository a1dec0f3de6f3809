// The process's ANSI code page, as Windows describes it. The tables are taken
// from the system once and handed to the parsing code, which never calls Windows.
#include <windows.h>

#include "code_page.h"

namespace kio::binding {
namespace {

CodePage CaptureCodePage(UINT id) {
    CodePage page;
    page.id = id;
    CPINFO info{};
    const bool multibyte = ::GetCPInfo(id, &info) && info.MaxCharSize > 1;
    for (size_t b = 0; b < 256; ++b) {
        const BYTE byte = static_cast<BYTE>(b);
        const bool leadByte = multibyte && ::IsDBCSLeadByteEx(id, byte);
        char single = static_cast<char>(byte);
        // A lead byte alone is half a character and has no lowercase.
        if (!leadByte) {
            ::CharLowerBuffA(&single, 1);
        }
        page.lower[b] = static_cast<uint8_t>(single);
        const char character = static_cast<char>(byte);
        page.traits[b] =
            static_cast<uint8_t>((leadByte ? CodePage::kLeadByte : 0) |
                                 (::IsCharAlphaA(character) ? CodePage::kAlpha : 0) |
                                 (::IsCharAlphaNumericA(character) ? CodePage::kAlphaNumeric : 0));
        page.hasLeadBytes = page.hasLeadBytes || leadByte;
    }
    page.hasPlainAsciiCase = HasPlainAsciiCase(page);
    return page;
}

}  // namespace

// Captured on first use, not when the library loads: USER32's character
// functions must not run inside DllMain, under the loader lock. A function-local
// static is initialised exactly once even when several threads race to it, and
// is never changed afterwards.
const CodePage& ProcessCodePage() {
    static const CodePage page = CaptureCodePage(::GetACP());
    return page;
}

}  // namespace kio::binding
