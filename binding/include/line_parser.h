// The grammar of one binding line ("key = value", optionally ended by ";") and
// the decoding of its value into the number the game receives.
#pragma once

#include <cstdint>
#include <string_view>

#include "code_page.h"

namespace kio::binding {

// A byte that ends a line, for the game and for an editor alike.
inline bool IsLineBreak(char byte) { return byte == '\r' || byte == '\n'; }

// Cuts a line at its first "=" into a key text and a value text, each trimmed of
// white space at both ends; the value then loses one final ";". Returns false,
// leaving both texts untouched, when the line holds no "=".
bool SplitBindingLine(std::string_view line, const CodePage& codePage, std::string_view& keyText,
                      std::string_view& valueText);

// As SplitBindingLine, for a line whose first "=" is known to be at `equals`.
void SplitBindingLineAt(std::string_view line, size_t equals, const CodePage& codePage,
                        std::string_view& keyText, std::string_view& valueText);

enum class ValueClass : int {
    Other = 0,
    Digits = 1,
    Hex = 2,
    Letters = 3,
};

ValueClass ClassifyValue(std::string_view valueText, const CodePage& codePage);

struct HexReading {
    uint32_t value = 0;
    size_t digitCount = 0;  // digits in the run after "0x"; 0 when none was read
};

// Reads the hexadecimal digits straight after the "0x" prefix as "%x" would:
// bits past bit 31 are lost, so only the last eight digits of a long run count.
HexReading ReadHexValue(std::string_view valueText);

// Whether the text starts with "0x" or "0X".
bool HasHexPrefix(std::string_view text);

// The value the game receives: the number when the text is Hex, else the code of
// the key name the text spells exactly; 0 when nothing decodes.
int32_t DecodeValue(std::string_view valueText, const CodePage& codePage);

}  // namespace kio::binding
