// The loader's fused loop against a plain one written as the binding file's
// grammar reads: characters first, then lines, "=", trimming, the final ";",
// the binding name in any letter case and the value, each step on its own.
// Random files, under each built-in code page.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "binding_lines.h"
#include "load_bindings.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding {
namespace {

// One character of the text: where it starts and how many bytes it has.
struct Character {
    size_t at = 0;
    size_t length = 1;
};

std::vector<Character> Characters(std::string_view text, const CodePage& page) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        const bool pair = page.IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size();
        characters.push_back({i, pair ? size_t{2} : size_t{1}});
        i += characters.back().length;
    }
    return characters;
}

bool IsSingle(std::string_view text, const Character& c, char byte) {
    return c.length == 1 && text[c.at] == byte;
}

bool IsSpace(std::string_view text, const Character& c) {
    return c.length == 1 && (text[c.at] == ' ' || text[c.at] == '\t' || text[c.at] == '\n' ||
                             text[c.at] == '\v' || text[c.at] == '\f' || text[c.at] == '\r');
}

// The characters [first, end) without white-space characters at either end.
std::string_view TrimmedPart(std::string_view text, const std::vector<Character>& characters,
                             size_t first, size_t end) {
    while (first < end && IsSpace(text, characters[first])) ++first;
    while (end > first && IsSpace(text, characters[end - 1])) --end;
    if (first == end) return {};
    const size_t from = characters[first].at;
    return text.substr(from, characters[end - 1].at + characters[end - 1].length - from);
}

struct ReferenceLine {
    std::string_view key;
    std::string_view value;
};

// The lines that hold an "=", cut and trimmed. A part is trimmed within itself,
// so a lead byte at the end of a part stands alone there.
std::vector<ReferenceLine> ReferenceLines(std::string_view text, const CodePage& page) {
    std::vector<ReferenceLine> lines;
    const std::vector<Character> all = Characters(text, page);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = start;
        while (end < all.size() && !IsSingle(text, all[end], '\r') &&
               !IsSingle(text, all[end], '\n')) {
            ++end;
        }
        size_t equals = start;
        while (equals < end && !IsSingle(text, all[equals], '=')) ++equals;
        if (equals < end) {
            const size_t keyFrom = all[start].at;
            const std::string_view keyPart = text.substr(keyFrom, all[equals].at - keyFrom);
            const size_t valueFrom = all[equals].at + 1;
            const size_t valueTo = end < all.size() ? all[end].at : text.size();
            const std::string_view valuePart = text.substr(valueFrom, valueTo - valueFrom);
            const std::vector<Character> keyCharacters = Characters(keyPart, page);
            const std::vector<Character> valueCharacters = Characters(valuePart, page);
            ReferenceLine line{TrimmedPart(keyPart, keyCharacters, 0, keyCharacters.size()),
                               TrimmedPart(valuePart, valueCharacters, 0, valueCharacters.size())};
            if (!line.value.empty() && line.value.back() == ';') line.value.remove_suffix(1);
            lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

std::string Lowered(std::string_view text, const CodePage& page) {
    std::string lower(text);
    for (const Character& c : Characters(text, page)) {
        if (c.length == 1)
            lower[c.at] = static_cast<char>(page.lower[static_cast<uint8_t>(text[c.at])]);
    }
    return lower;
}

int ReferenceEntry(std::string_view key, const CodePage& page) {
    const std::string lower = Lowered(key, page);
    for (int entry = 0; entry < kBindingCount; ++entry) {
        std::string name(BindingName(entry));
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower == name) return entry;
    }
    return -1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int32_t ReferenceValue(std::string_view value, const CodePage& page) {
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        bool allAlphaNumeric = true;
        for (char c : value.substr(2))
            allAlphaNumeric = allAlphaNumeric && page.IsAlphaNumeric(static_cast<uint8_t>(c));
        if (allAlphaNumeric) {
            uint32_t number = 0;
            for (size_t i = 2; i < value.size() && HexDigit(value[i]) >= 0; ++i) {
                number = number * 16 + static_cast<uint32_t>(HexDigit(value[i]));
            }
            return static_cast<int32_t>(number);
        }
    }
    int32_t code = 0;
    for (const KeyName& key : kKeyNames) {
        std::string name(key.name);
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (name == value) code = key.code;
    }
    return code;
}

BindingValues ReferenceApply(std::string_view text, const SlotTable& slots, const CodePage& page,
                             BindingValues values) {
    for (const ReferenceLine& line : ReferenceLines(text, page)) {
        const int entry = ReferenceEntry(line.key, page);
        if (entry >= 0 && slots[static_cast<size_t>(entry)] != kNoSlot) {
            values[static_cast<size_t>(slots[static_cast<size_t>(entry)])] =
                ReferenceValue(line.value, page);
        }
    }
    return values;
}

// Random binding text: names and values the loader knows, bent a little, among
// white space, breaks, "=" and ";", and bytes that are lead or second bytes.
class RandomBindingText {
public:
    explicit RandomBindingText(uint32_t seed) : random_(seed) {}

    std::string File() {
        std::string text;
        const int pieces = Pick(40);
        for (int i = 0; i < pieces; ++i) text += Piece();
        return text;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string Bent(std::string word) {
        for (char& c : word) {
            switch (Pick(12)) {
                case 0: c = static_cast<char>(c ^ 0x20); break;  // the other case
                case 1:
                    if (c == '_') c = '\x7F';
                    break;  // "_" with bit 0x20 set
                case 2:
                    c = "\xC1\xE1\xDD"[Pick(3)];
                    break;  // 1252 letters; 0xDD lowers to "i" below
                default: break;
            }
        }
        return word;
    }

    std::string Piece() {
        static constexpr std::string_view kOdd[] = {
            " ",    "\t",   "\v",       "\f",    "\r",     "\n",     "\r\n",  "=",    ";",
            "  ",   "\x81", "\x81=",    "\x81 ", "\x82\r", "\x82\n", "\xE0;", "\xA6", "\xFC\x20",
            "\x80", "\xFF", "\x81\x81", "0x",    "0X",     "\xB2",   ",",     "_"};
        switch (Pick(8)) {
            case 0:
            case 1:
                return Pick(3) ? std::string(BindingName(Pick(kBindingCount)))
                               : Bent(std::string(BindingName(Pick(kBindingCount))));
            case 2: {
                std::string name(kKeyNames[static_cast<size_t>(Pick(kKeyNameCount))].name);
                for (char& c : name)
                    c = static_cast<char>(c >= 'A' && c <= 'Z' && Pick(6) ? c + 32 : c);
                return name;
            }
            case 3: {
                std::string number = Pick(2) ? "0x" : "0X";
                const int digits = Pick(4) == 0 ? Pick(12) : 8;
                for (int d = 0; d < digits; ++d)
                    number += "0123456789abcdefABCDEFgz"[Pick(Pick(5) ? 22 : 24)];
                return number;
            }
            case 4: return "=";
            case 5: return Pick(2) ? "\r\n" : "\n";
            default: return std::string(kOdd[Pick(std::size(kOdd))]);
        }
    }

    std::mt19937 random_;
};

TEST(ReferenceLoop, FusedLoopReadsEveryFileAsTheGrammarDoes) {
    RandomBindingText texts(21);
    std::mt19937 random(21);
    // Besides the built-in pages, 1252 with a capital lowered into ASCII, as the
    // dotted I is under 1254: the loop then takes the page's lowercasing table.
    CodePage dottedI = *FindBuiltInCodePage(1252);
    dottedI.lower[0xDD] = 'i';
    dottedI.hasPlainAsciiCase = HasPlainAsciiCase(dottedI);
    ASSERT_FALSE(dottedI.hasPlainAsciiCase);
    std::vector<const CodePage*> pages{&dottedI};
    for (const uint32_t id : {1252u, 932u, 936u, 949u, 950u}) {
        pages.push_back(FindBuiltInCodePage(id));
    }
    for (const CodePage* pagePointer : pages) {
        const CodePage& page = *pagePointer;
        const uint32_t id = page.id;
        for (int round = 0; round < 6000; ++round) {
            const std::string text = texts.File();
            // Each line's texts, as the tools see them.
            std::vector<ReferenceLine> fused;
            ForEachBindingLine(text, page, [&](const BindingLine& line) {
                if (line.hasEquals) fused.push_back({line.keyText, line.valueText});
            });
            const std::vector<ReferenceLine> reference = ReferenceLines(text, page);
            ASSERT_EQ(fused.size(), reference.size()) << id << " " << testing::PrintToString(text);
            for (size_t i = 0; i < fused.size(); ++i) {
                ASSERT_EQ(fused[i].key, reference[i].key)
                    << id << " " << testing::PrintToString(text);
                ASSERT_EQ(fused[i].value, reference[i].value)
                    << id << " " << testing::PrintToString(text);
            }
            // The values GetPAM hands over, for the game's order and for a shuffled one.
            std::vector<const char*> order(test::kTableOrder, test::kTableOrder + kActionCount);
            if (round % 2) std::shuffle(order.begin(), order.end(), random);
            const SlotTable slots = BuildSlotTable(order.data());
            BindingValues values;
            for (size_t i = 0; i < values.size(); ++i) values[i] = -1 - static_cast<int32_t>(i);
            const BindingValues expected = ReferenceApply(text, slots, page, values);
            ApplyBindingLines(text, slots, page, values);
            ASSERT_EQ(values, expected) << id << " " << testing::PrintToString(text);
        }
    }
}

}  // namespace
}  // namespace kio::binding
