#include "rule_registry.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace kio::analysis {
namespace {

using enum RuleLevel;
using enum FixKind;
constexpr std::optional<FixKind> kNoFix;

constexpr std::array kRules{
    Rule{"K101", Warning, ConvertUtf16, "K101",
         "the file is UTF-16 (fix: convert it, when it has a byte-order mark)"},
    Rule{"K102", Warning, kNoFix, "K102", "a NUL byte cuts the text"},
    Rule{"K103", Note, kNoFix, "K103", "only NUL bytes and white space follow the first NUL"},
    Rule{"K104", Warning, RemoveUtf8Bom, "K104",
         "a UTF-8 byte-order mark hides the first line's binding (fix: remove it)"},
    Rule{"K105", Note, RemoveUtf8Bom, "K105",
         "a UTF-8 byte-order mark, harmless on this line (fix: remove it)"},
    Rule{"K106", Note, kNoFix, "K106",
         "the file looks like UTF-8: comments look garbled, bindings work"},
    Rule{"K201", Warning, kNoFix, "K201",
         "a double-byte lead byte swallows the line break (after a comment too, unless only "
         "blanks or comments follow)"},
    Rule{"K202", Warning, AddEquals, "K202",
         "the line has no `=` (fix: add it, when the value is valid)"},
    Rule{"K203", Warning, kNoFix, "K203", "no binding name before `=`"},
    Rule{"K204", Warning, kNoFix, "K204", "the key names no binding (forms `.action`, `.near`)"},
    Rule{"K301", Warning, kNoFix, "K301", "no hexadecimal digit after `0x`"},
    Rule{"K302", Warning, kNoFix, "K302", "the hexadecimal digits stop early"},
    Rule{"K303", Warning, kNoFix, "K303", "more than 8 hexadecimal digits"},
    Rule{"K304", Warning, kNoFix, "K304", "an empty value"},
    Rule{"K305", Warning, kNoFix, "K305", "`0x` alone"},
    Rule{"K306", Warning, DropSpaceBeforeSemicolon, "K306",
         "white space before a final `;` (fix: remove it)"},
    Rule{"K307", Warning, kNoFix, "K307", "a comment after the value"},
    Rule{"K308", Warning, kNoFix, "K308", "a blank inside a key name"},
    Rule{"K309", Warning, LowerCaseKeyName, "K309", "a key name in capitals (fix: lower case)"},
    Rule{"K310", Warning, kNoFix, "K310",
         "a decimal number (form `.hex` with the hexadecimal meant)"},
    Rule{"K311", Warning, kNoFix, "K311",
         "`0x` followed by something other than letters and digits"},
    Rule{"K312", Warning, kNoFix, "K312", "not a key name (form `.near` with a suggestion)"},
    Rule{"K313", Warning, kNoFix, "K313", "a pad value that is a digit key, not a number"},
    Rule{"K401", Warning, TurnOffOverriddenLine, "K401",
         "the binding is set again later (fix: turn the line off; form `.broken`, no fix, when "
         "the later line binds nothing and this one works)"},
    Rule{"K501", Note, kNoFix, "K501",
         "a key or pad button shared by a menu action and a play action"},
    Rule{"K502", Warning, kNoFix, "K502",
         "a key or pad button shared by two play actions (`.play`) or two menu actions "
         "(`.menu`)"},
    Rule{"E101", Refusal, kNoFix, "E101", "`set` or `unset` names no binding"},
    Rule{"E102", Refusal, kNoFix, "E102", "`set` gives a decimal number"},
    Rule{"E103", Refusal, kNoFix, "E103", "`set` gives a value the game does not read"},
    Rule{"E104", Refusal, kNoFix, "E104", "`set` gives no value"},
    Rule{"E105", Refusal, kNoFix, "E105", "`set` gives a name that is no key name"},
    Rule{"E201", Refusal, kNoFix, "E201", "the line runs on into the next"},
    Rule{"E202", Refusal, kNoFix, "E202", "the file is UTF-16 and must be converted first"},
    Rule{"E203", Refusal, kNoFix, "E203", "a NUL byte or a swallowed line break is in the way"},
    Rule{"E301", Refusal, kNoFix, "E301", "`fix` cannot convert UTF-16 to the code page here"},
    Rule{"E302", Refusal, kNoFix, "E302", "UTF-16 text that ends in half a character"},
    Rule{"E303", Refusal, kNoFix, "E303", "a UTF-16 character with no form in the code page"},
    Rule{"E304", Refusal, kNoFix, "E304", "`fix` would change the file's lines"},
    Rule{"E305", Refusal, kNoFix, "E305", "the fixes do not settle"},
    Rule{"E900", Refusal, kNoFix, "E900", "any other failure, with its reason"},
};

constexpr bool EachIdentifierOnce() {
    for (size_t i = 0; i < kRules.size(); ++i) {
        for (size_t j = i + 1; j < kRules.size(); ++j) {
            if (kRules[i].id == kRules[j].id) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EachIdentifierOnce(), "an identifier names one rule");

}  // namespace

std::span<const Rule> Rules() { return kRules; }

const Rule* FindRule(std::string_view id) {
    // std::find_if, not std::ranges::find: the page's compiler lacks the latter.
    const auto rule = std::find_if(std::begin(kRules), std::end(kRules),
                                   [id](const Rule& candidate) { return candidate.id == id; });
    return rule != std::end(kRules) ? &*rule : nullptr;
}

std::string_view RuleLevelName(RuleLevel level) {
    switch (level) {
        case Warning: return "warning";
        case Note: return "note";
        case Refusal: return "refusal";
    }
    return "";
}

RuleLevel RuleLevelOf(Severity severity) { return severity == Severity::Warning ? Warning : Note; }

}  // namespace kio::analysis
