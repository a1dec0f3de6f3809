// White space in a text of the file, judged character by character: under a
// double-byte code page a trail byte is part of its character, never white
// space of its own, as the loader's own trimming has it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "code_page.h"

namespace kio::analysis {

// "0x1D": how findings and the editor write a number, in capitals.
std::string Hex(uint32_t value);

// One or more of the digits 0 to 9 and nothing else.
bool IsDigits(std::string_view text);

// A decimal number's value ("110" gives 110), when `digits` (IsDigits) fits 32
// bits; the file must hold it as hexadecimal.
std::optional<uint32_t> DecimalValue(std::string_view digits);

// The text without white space at either end.
std::string_view TrimCharacters(std::string_view text, const kio::binding::CodePage& codePage);

// The text without white space at its end.
std::string_view TrimEndCharacters(std::string_view text, const kio::binding::CodePage& codePage);

// Where the first white-space character starts, or the text's size.
size_t FirstWhiteSpaceCharacter(std::string_view text, const kio::binding::CodePage& codePage);

// The value to write when `text` gives binding `entry` exactly one value the game
// reads: "0x" and 1 to 8 hexadecimal digits as written, or a key name in lower
// case. Nothing for a value fix would have to guess: more than 8 digits, a lone
// digit for a pad binding (the digit key, or the number?), a final ";" (which
// the game drops), anything that decodes to nothing.
std::optional<std::string> SureValue(std::string_view text, int entry,
                                     const kio::binding::CodePage& codePage);

}  // namespace kio::analysis
