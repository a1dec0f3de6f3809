#include "value_findings.h"

#include <algorithm>
#include <string>

#include "characters.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

size_t LongestKeyName() {
    static const size_t longest =
        std::max_element(kio::binding::kKeyNames.begin(), kio::binding::kKeyNames.end(),
                         [](const kio::binding::KeyName& a, const kio::binding::KeyName& b) {
                             return a.name.size() < b.name.size();
                         })
            ->name.size();
    return longest;
}

bool DecodesAsHex(std::string_view text, const kio::binding::CodePage& codePage) {
    return kio::binding::ClassifyValue(text, codePage) == kio::binding::ValueClass::Hex &&
           kio::binding::ReadHexValue(text).digitCount > 0;
}

// A value that decodes, made from `text` by lowercasing if need be.
std::optional<std::string> RepairedValue(std::string_view text,
                                         const kio::binding::CodePage& codePage) {
    if (DecodesAsHex(text, codePage) || kio::binding::FindKeyCode(text)) {
        return std::string(text);
    }
    if (std::string lower = AsciiLower(text); kio::binding::FindKeyCode(lower)) {
        return lower;
    }
    return std::nullopt;
}

// A finding about the line's value, with the binding's name among its arguments.
Finding Warn(const AnalysedLine& line, std::string_view name, std::string key,
             std::vector<messages::MessageArgument> arguments, std::optional<Fix> fix = {}) {
    arguments.insert(arguments.begin(), messages::Plain("binding", std::string(name)));
    return Finding{line.number, messages::Message{std::move(key), std::move(arguments)},
                   SpanOf(line, line.valueText), std::move(fix)};
}

// Writes `replacement`, a sure value, over the line's value, which must not be empty.
Fix ReplaceValue(const AnalysedLine& line, FixKind kind, std::string replacement,
                 const kio::binding::CodePage& codePage) {
    const size_t offset =
        line.offset + static_cast<size_t>(line.valueText.data() - line.text.data());
    const int32_t value = kio::binding::DecodeValue(replacement, codePage);
    return Fix{kind, offset, line.valueText.size(), std::move(replacement), *line.entry, value};
}

std::optional<Finding> DiagnoseHex(const AnalysedLine& line, std::string_view name) {
    const std::string_view value = line.valueText;
    // Made where used: a value of megabytes is copied once, into its finding.
    const auto valueArgument = [value] { return messages::Quoted("value", std::string(value)); };
    const kio::binding::HexReading reading = kio::binding::ReadHexValue(value);
    if (reading.digitCount == 0) {
        return Warn(line, name, "K301", messages::ArgumentsOf(valueArgument()));
    }
    const size_t runEnd = 2 + reading.digitCount;
    if (runEnd < value.size()) {
        return Warn(
            line, name, "K302",
            messages::ArgumentsOf(messages::HexNumber("number", reading.value), valueArgument(),
                                  messages::Quoted("stop", std::string(value.substr(runEnd, 1))),
                                  messages::Plain("digits", std::string(value.substr(0, runEnd)))));
    }
    if (reading.digitCount > 8) {
        const std::string_view lost = value.substr(2, reading.digitCount - 8);
        if (lost.find_first_not_of('0') != std::string_view::npos) {
            return Warn(
                line, name, "K303",
                messages::ArgumentsOf(messages::HexNumber("number", reading.value), valueArgument(),
                                      messages::Number("count", reading.digitCount)));
        }
    }
    return std::nullopt;
}

// The value names no key and is no number: say why, and what to write instead.
Finding DiagnoseNothingDecoded(const AnalysedLine& line, std::string_view name,
                               kio::binding::ValueClass valueClass,
                               const kio::binding::CodePage& codePage) {
    const std::string_view value = line.valueText;
    // Made where used: a value of megabytes is copied once, into its finding.
    const auto valueArgument = [value] { return messages::Quoted("value", std::string(value)); };
    if (value.empty()) {
        return Warn(line, name, "K304", {});
    }
    if (value.size() == 2 && kio::binding::HasHexPrefix(value)) {
        return Warn(line, name, "K305", messages::ArgumentsOf(valueArgument()));
    }
    // Letters or digits alone hold no white space: no need to read megabytes
    // again looking for it.
    const bool mayHoldWhiteSpace = valueClass == kio::binding::ValueClass::Other;
    if (const std::string_view stem =
            mayHoldWhiteSpace ? TrimEndCharacters(value, codePage) : value;
        stem != value) {
        const std::optional<std::string> fix = RepairedValue(stem, codePage);
        const std::string repaired = fix.value_or(std::string(stem));
        // Only a value that reads one way is written for the player.
        std::optional<Fix> sure;
        if (const std::optional<std::string> text = SureValue(stem, *line.entry, codePage)) {
            sure = ReplaceValue(line, FixKind::DropSpaceBeforeSemicolon, *text, codePage);
        }
        return Warn(line, name, "K306",
                    messages::ArgumentsOf(valueArgument(), messages::Plain("fixed", repaired)),
                    std::move(sure));
    }
    if (const size_t blank =
            mayHoldWhiteSpace ? FirstWhiteSpaceCharacter(value, codePage) : value.size();
        blank < value.size()) {
        if (const std::optional<std::string> fix =
                RepairedValue(value.substr(0, blank), codePage)) {
            return Warn(line, name, "K307",
                        messages::ArgumentsOf(valueArgument(), messages::Plain("fixed", *fix)));
        }
        return Warn(line, name, "K308", messages::ArgumentsOf(valueArgument()));
    }
    // A text far longer than any key name neither names one in another case nor
    // is a typo of one: no need to lowercase megabytes.
    const bool mayBeAKeyName = value.size() <= LongestKeyName() + kMostEdits;
    const std::string lower = mayBeAKeyName ? AsciiLower(value) : std::string();
    if (mayBeAKeyName && kio::binding::FindKeyCode(lower)) {
        return Warn(line, name, "K309",
                    messages::ArgumentsOf(valueArgument(), messages::Plain("fixed", lower)),
                    ReplaceValue(line, FixKind::LowerCaseKeyName, lower, codePage));
    }
    if (IsDigits(value)) {
        if (const std::optional<uint32_t> number = DecimalValue(value)) {
            return Warn(
                line, name, "K310.hex",
                messages::ArgumentsOf(valueArgument(), messages::HexNumber("number", *number),
                                      messages::Plain("decimal", std::string(value))));
        }
        return Warn(line, name, "K310", messages::ArgumentsOf(valueArgument()));
    }
    if (kio::binding::HasHexPrefix(value)) {
        return Warn(line, name, "K311", messages::ArgumentsOf(valueArgument()));
    }
    if (const std::optional<std::string_view> near =
            mayBeAKeyName ? NearestName(lower, kio::binding::kKeyNames,
                                        [](const kio::binding::KeyName& key) { return key.name; })
                          : std::nullopt) {
        return Warn(
            line, name, "K312.near",
            messages::ArgumentsOf(valueArgument(), messages::Plain("nearest", AsciiLower(*near))));
    }
    return Warn(line, name, "K312", messages::ArgumentsOf(valueArgument()));
}

}  // namespace

std::optional<Finding> DiagnoseValue(const AnalysedLine& line,
                                     const kio::binding::CodePage& codePage) {
    const std::string_view name = kio::binding::BindingName(*line.entry);
    const std::string_view value = line.valueText;
    const kio::binding::ValueClass valueClass = kio::binding::ClassifyValue(value, codePage);
    if (valueClass == kio::binding::ValueClass::Hex) {
        return DiagnoseHex(line, name);
    }
    if (const std::optional<int32_t> code = kio::binding::FindKeyCode(value)) {
        // A pad value written as a decimal digit is almost surely meant as a number.
        const bool padBinding = *line.entry % 2 == 1;
        if (padBinding && value.size() == 1 && IsDigits(value)) {
            return Warn(line, name, "K313",
                        {messages::HexNumber("number", static_cast<uint32_t>(*code)),
                         messages::Quoted("value", std::string(value)),
                         messages::Plain("digit", std::string(value))});
        }
        return std::nullopt;
    }
    return DiagnoseNothingDecoded(line, name, valueClass, codePage);
}

}  // namespace kio::analysis
