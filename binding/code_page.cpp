#include "code_page.h"

namespace kio::binding {
namespace {

struct ByteRange {
    uint8_t first;
    uint8_t last;
};

constexpr void MarkAsciiLettersAndDigits(CodePage& page) {
    for (size_t b = 0; b < 256; ++b) {
        page.lower[b] = static_cast<uint8_t>(b);
    }
    for (size_t b = 'A'; b <= 'Z'; ++b) {
        page.lower[b] = static_cast<uint8_t>(b - 'A' + 'a');
        page.traits[b] |= CodePage::kAlpha | CodePage::kAlphaNumeric;
        page.traits[b - 'A' + 'a'] |= CodePage::kAlpha | CodePage::kAlphaNumeric;
    }
    for (size_t b = '0'; b <= '9'; ++b) {
        page.traits[b] |= CodePage::kAlphaNumeric;
    }
}

constexpr void Mark(CodePage& page, std::initializer_list<ByteRange> ranges, uint8_t traits) {
    for (ByteRange range : ranges) {
        for (size_t b = range.first; b <= range.last; ++b) {
            page.traits[b] |= traits;
        }
    }
}

constexpr void MarkLetters(CodePage& page, std::initializer_list<ByteRange> ranges) {
    Mark(page, ranges, CodePage::kAlpha | CodePage::kAlphaNumeric);
}

constexpr CodePage MakeWesternEuropean() {
    CodePage page;
    page.id = 1252;
    MarkAsciiLettersAndDigits(page);
    // Letters of 1252 above 0x7F, as Windows classifies them (the modifier
    // circumflex 0x88 included), and the superscript digits, which count as digits.
    MarkLetters(page, {{0x83, 0x83},
                       {0x88, 0x88},
                       {0x8A, 0x8A},
                       {0x8C, 0x8C},
                       {0x8E, 0x8E},
                       {0x9A, 0x9A},
                       {0x9C, 0x9C},
                       {0x9E, 0x9F},
                       {0xAA, 0xAA},
                       {0xB5, 0xB5},
                       {0xBA, 0xBA},
                       {0xC0, 0xD6},
                       {0xD8, 0xF6},
                       {0xF8, 0xFF}});
    Mark(page, {{0xB2, 0xB3}, {0xB9, 0xB9}}, CodePage::kAlphaNumeric);
    // Case pairs of 1252: Š Œ Ž Ÿ and the accented capitals.
    page.lower[0x8A] = 0x9A;
    page.lower[0x8C] = 0x9C;
    page.lower[0x8E] = 0x9E;
    page.lower[0x9F] = 0xFF;
    for (size_t b = 0xC0; b <= 0xDE; ++b) {
        if (b != 0xD7) {
            page.lower[b] = static_cast<uint8_t>(b + 0x20);
        }
    }
    page.hasPlainAsciiCase = HasPlainAsciiCase(page);
    return page;
}

constexpr CodePage MakeDoubleByte(uint32_t id, std::initializer_list<ByteRange> leadBytes,
                                  std::initializer_list<ByteRange> singleByteLetters) {
    CodePage page;
    page.id = id;
    page.hasLeadBytes = true;
    MarkAsciiLettersAndDigits(page);
    MarkLetters(page, singleByteLetters);
    for (ByteRange range : leadBytes) {
        for (size_t b = range.first; b <= range.last; ++b) {
            page.traits[b] |= CodePage::kLeadByte;
        }
    }
    page.hasPlainAsciiCase = HasPlainAsciiCase(page);
    return page;
}

constexpr CodePage kWesternEuropean = MakeWesternEuropean();
// Shift JIS: its half-width katakana are single-byte letters.
constexpr CodePage kJapanese = MakeDoubleByte(932, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0xA6, 0xDF}});
constexpr CodePage kSimplifiedChinese = MakeDoubleByte(936, {{0x81, 0xFE}}, {});
constexpr CodePage kKorean = MakeDoubleByte(949, {{0x81, 0xFE}}, {});
constexpr CodePage kTraditionalChinese = MakeDoubleByte(950, {{0x81, 0xFE}}, {});
// The second bytes of each double-byte code page's characters.
constexpr ByteRange kJapaneseTrailBytes[] = {{0x40, 0x7E}, {0x80, 0xFC}};
constexpr ByteRange kSimplifiedChineseTrailBytes[] = {{0x40, 0x7E}, {0x80, 0xFE}};
constexpr ByteRange kKoreanTrailBytes[] = {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}};
constexpr ByteRange kTraditionalChineseTrailBytes[] = {{0x40, 0x7E}, {0xA1, 0xFE}};
static_assert(kWesternEuropean.hasPlainAsciiCase && kJapanese.hasPlainAsciiCase,
              "the common code pages take the loader's plain ASCII path");

constexpr std::array<const CodePage*, 5> kBuiltInCodePages{
    &kWesternEuropean, &kJapanese, &kSimplifiedChinese, &kKorean, &kTraditionalChinese};

}  // namespace

std::span<const CodePage* const> BuiltInCodePages() { return kBuiltInCodePages; }

const CodePage* FindBuiltInCodePage(uint32_t id) {
    for (const CodePage* page : kBuiltInCodePages) {
        if (page->id == id) {
            return page;
        }
    }
    return nullptr;
}

const CodePage& DefaultCodePage() { return kWesternEuropean; }

bool IsTrailByte(const CodePage& page, uint8_t byte) {
    std::span<const ByteRange> ranges;
    switch (page.id) {
        case 932: ranges = kJapaneseTrailBytes; break;
        case 936: ranges = kSimplifiedChineseTrailBytes; break;
        case 949: ranges = kKoreanTrailBytes; break;
        case 950: ranges = kTraditionalChineseTrailBytes; break;
        default: break;
    }
    for (const ByteRange range : ranges) {
        if (byte >= range.first && byte <= range.last) {
            return true;
        }
    }
    return false;
}

}  // namespace kio::binding
