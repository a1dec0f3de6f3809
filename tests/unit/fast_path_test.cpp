// The loader's fast paths against the plain code they stand in for, over random
// inputs: the one-pass line scanner, the key-name and binding-name lookups, and
// the reading of eight hexadecimal digits at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "binding_file.h"
#include "binding_lines.h"
#include "line_parser.h"
#include "line_scanner.h"
#include "name_lookup.h"
#include "value_decoding.h"
#include "vocabulary.h"

namespace kio::binding {
namespace {

const CodePage& Page(uint32_t id) { return *FindBuiltInCodePage(id); }

// Bytes that shape lines and names, lead bytes of 932, and a few others.
std::string RandomText(std::mt19937& random, size_t maxLength, std::string_view alphabet) {
    std::string text(std::uniform_int_distribution<size_t>(0, maxLength)(random), ' ');
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (char& c : text) {
        c = alphabet[pick(random)];
    }
    return text;
}

constexpr std::string_view kLineBytes =
    "\r\n==  \t;Kb_\x81\x9F\xE0\xFC\xA6\x40\x0D\x0A\x3D\xFF\v\f\x01\x1F\x21";

TEST(LineScanner, FindsTheLinesAndEqualsSignsOfTheSimpleSplitting) {
    std::mt19937 random(14);
    for (const CodePage* page : {&Page(1252), &Page(932)}) {
        for (int round = 0; round < 20000; ++round) {
            const std::string text = RandomText(random, 70, kLineBytes);
            std::vector<ScannedLine> scanned;
            ScanBindingLines(text, *page,
                             [&](const ScannedLine& line) { scanned.push_back(Trimmed(line)); });

            size_t index = 0;
            for (std::string_view line : SplitBindingLines(text, *page)) {
                ASSERT_LT(index, scanned.size()) << page->id << " " << testing::PrintToString(text);
                const ScannedLine& found = scanned[index++];
                ASSERT_EQ(found.text.data(), line.data()) << testing::PrintToString(text);
                ASSERT_EQ(found.text.size(), line.size()) << testing::PrintToString(text);
                std::string_view key, value, foundKey, foundValue;
                const bool hasEquals = SplitBindingLine(line, *page, key, value);
                ASSERT_EQ(found.equals != std::string_view::npos, hasEquals)
                    << testing::PrintToString(text);
                if (hasEquals) {
                    SplitBindingLineAt(found.text, found.equals, *page, foundKey, foundValue);
                    EXPECT_EQ(foundKey.data(), key.data());
                    EXPECT_EQ(foundKey.size(), key.size());
                    EXPECT_EQ(foundValue.data(), value.data());
                    EXPECT_EQ(foundValue.size(), value.size());
                    // The parts the scanner cut and trimmed itself.
                    ASSERT_EQ(found.key, key) << testing::PrintToString(text);
                    ASSERT_EQ(found.value, value) << testing::PrintToString(text);
                }
            }
            EXPECT_EQ(index, scanned.size()) << page->id << " " << testing::PrintToString(text);
        }
    }
}

// The code of the key name `text` spells exactly, by a search of the whole
// list; of a name listed twice, the later entry's code.
int32_t SearchedKeyCode(std::string_view text) {
    int32_t code = 0;
    for (const KeyName& key : kKeyNames) {
        std::string name(key.name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        code = name == text ? key.code : code;
    }
    return code;
}

TEST(KeyNameLookup, AgreesWithASearchOfTheList) {
    std::mt19937 random(14);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int round = 0; round < 100000; ++round) {
        std::string text(kKeyNames[static_cast<size_t>(pick(kKeyNameCount))].name);
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        // Each byte may change case or become another byte; the text may be
        // cut, or run on, up to the 24 bytes a name may have.
        for (char& c : text) {
            switch (pick(3 * static_cast<int>(text.size()))) {
                case 0: c = static_cast<char>(c ^ 0x20); break;
                case 1:
                    c = "_\x7f\xC1\x01"
                        "a0"[round % 6];
                    break;
                default: break;
            }
        }
        if (round % 4 == 0) {
            text.resize(static_cast<size_t>(pick(25)), "ab_1"[pick(4)]);
        }
        ASSERT_EQ(FindKeyCodeOrZero(text), SearchedKeyCode(text)) << testing::PrintToString(text);
    }
}

TEST(HexDigits, EightAtOnceAgreeWithAByteLoop) {
    const CodePage& page = Page(1252);
    const auto check = [&](const std::string& digits) {
        ASSERT_EQ(ReadCheckedHexDigits(digits, page),
                  value_decoding::ReadCheckedHexDigitsSlowly(digits, page))
            << testing::PrintToString(digits);
    };
    // Every byte in every place, among digits of both kinds and cases.
    for (size_t place = 0; place < 8; ++place) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string digits = "09afAF5c";
            digits[place] = static_cast<char>(byte);
            check(digits);
        }
    }
    std::mt19937 random(14);
    for (int round = 0; round < 20000; ++round) {
        check(RandomText(random, 8, "0123456789abcdefABCDEF").append(8, '0').substr(0, 8));
    }
}

// The entry whose binding name `keyText` spells once lowercased, searched plainly.
std::optional<int> LowercasedEntry(std::string_view keyText, const CodePage& page) {
    std::string lower(keyText.size(), '\0');
    LowercaseInto(keyText, page, lower.data(), lower.size());
    for (int entry = 0; entry < kBindingCount; ++entry) {
        std::string name(BindingName(entry));
        LowercaseInto(name, page, name.data(), name.size());
        if (name == lower) {
            return entry;
        }
    }
    return std::nullopt;
}

TEST(BindingNameLookup, AgreesWithLowercasingThenComparing) {
    // 1252 with one byte lowered into ASCII, as the dotted capital I is under 1254:
    // it cannot be matched by ASCII folding.
    CodePage dottedI = Page(1252);
    dottedI.lower[0xDD] = 'i';
    dottedI.hasPlainAsciiCase = HasPlainAsciiCase(dottedI);
    ASSERT_FALSE(dottedI.hasPlainAsciiCase);
    EXPECT_EQ(FindBindingEntry("KB_\xDDtem", dottedI), LowercasedEntry("KB_Item", dottedI));

    const CodePage& dottedIPage = dottedI;
    std::mt19937 random(14);
    for (const CodePage* page : {&Page(1252), &Page(932), &dottedIPage}) {
        for (int round = 0; round < 30000; ++round) {
            std::string key(
                BindingName(std::uniform_int_distribution<int>(0, kBindingCount - 1)(random)));
            for (char& c : key) {
                switch (std::uniform_int_distribution<int>(0, 9)(random)) {
                    case 0: c = static_cast<char>(c ^ 0x20); break;
                    case 1: c = "\xDD\x81I_@`\x7f\xC9"[round % 8]; break;
                    default: break;
                }
            }
            if (round % 5 == 0) {
                key.resize(std::uniform_int_distribution<size_t>(0, key.size())(random));
            }
            ASSERT_EQ(FindBindingEntry(key, *page), LowercasedEntry(key, *page))
                << page->id << " " << testing::PrintToString(key);
        }
    }
}

}  // namespace
}  // namespace kio::binding
