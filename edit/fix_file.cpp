#include <algorithm>
#include <iterator>
#include <span>
#include <utility>

#include "binding_edit.h"
#include "edit_outcome.h"
#include "encoding_findings.h"
#include "file_analysis.h"
#include "game_values.h"
#include "kio_assert.h"
#include "line_changes.h"
#include "line_numbers.h"

namespace kio::edit {
namespace {

// Each pass applies every fix whose bytes no earlier fix of the pass touched;
// a line rarely needs more than three (byte-order mark, "=", key name case).
constexpr int kMaxPasses = 8;

std::string Utf8(char32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

// The character starting at `unit` as arguments of its refusal: the character
// itself (when it prints) and its code point, with its line number.
struct DescribedCharacter {
    std::optional<std::string> utf8;
    char32_t codePoint = 0;
    int line = 1;
};

// The line of code unit `unit`, numbered as any file's lines: each unit stands
// in for one byte, an ASCII unit (CR and LF among them) as itself, any other as
// a byte that is no line break. The UTF-16 bytes themselves would not do: half
// of a unit such as U+4E0A is an LF byte.
int LineOfUnit(std::u16string_view text, size_t unit) {
    std::string bytes(text.size(), '\x80');
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {
            bytes[i] = static_cast<char>(text[i]);
        }
    }
    return kio::analysis::LineNumbers(bytes).LineOf(unit);
}

// Whether a character shows as itself: not a control, not half a pair, and
// not one that turns or breaks the text around it (bidirectional marks and
// overrides, line and paragraph separators, invisible formatting), which a
// terminal or the page would act on rather than show.
bool ShowsAsItself(char32_t c) {
    const auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    return c >= 0x20 && !in(0x7F, 0x9F) && !in(0xD800, 0xDFFF) && c != 0xAD && c != 0x61C &&
           c != 0x180E && !in(0x200B, 0x200F) && !in(0x2028, 0x202E) && !in(0x2060, 0x206F) &&
           c != 0xFEFF && !in(0xFFF9, 0xFFFB);
}

DescribedCharacter DescribeCharacter(std::u16string_view text, size_t unit) {
    char32_t c = text[unit];
    const bool pair = c >= 0xD800 && c < 0xDC00 && unit + 1 < text.size() &&
                      text[unit + 1] >= 0xDC00 && text[unit + 1] < 0xE000;
    if (pair) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[unit + 1] - 0xDC00);
    }
    return {ShowsAsItself(c) ? std::optional(Utf8(c)) : std::nullopt, c, LineOfUnit(text, unit)};
}

// The UTF-16 text after the byte-order mark, in native code units.
std::optional<std::u16string> Utf16Units(std::string_view file) {
    const bool little = file.starts_with("\xFF\xFE");
    const std::string_view body = file.substr(2);
    if (body.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units(body.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<uint8_t>(body[2 * i]);
        const auto second = static_cast<uint8_t>(body[2 * i + 1]);
        units[i] = static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
    }
    return units;
}

// The ANSI text of a UTF-16 file, or the reason there is none.
EditOutcome ConvertFromUtf16(std::string_view file, const kio::binding::CodePage& codePage,
                             Utf16ToCodePage toCodePage) {
    const kio::messages::MessageArgument codePageArgument =
        kio::messages::Number("code_page", codePage.id);
    if (toCodePage == nullptr) {
        return Refusal({"E301", {codePageArgument}});
    }
    const std::optional<std::u16string> units = Utf16Units(file);
    if (!units) {
        return Refusal({"E302", {}});
    }
    Utf16Conversion converted = toCodePage(*units, codePage.id);
    if (converted.status == ConversionStatus::Failed ||
        (converted.status == ConversionStatus::NoFormInCodePage &&
         converted.failedUnit >= units->size())) {
        return Refusal({"E301", {codePageArgument}});
    }
    if (converted.status != ConversionStatus::Converted) {
        const DescribedCharacter character = DescribeCharacter(*units, converted.failedUnit);
        std::vector<kio::messages::MessageArgument> arguments{
            kio::messages::CodePoint("code", character.codePoint),
            kio::messages::Number("line", static_cast<uint64_t>(character.line)), codePageArgument};
        if (character.utf8) {
            // Already UTF-8 and printable: the catalogue puts the quote marks around it.
            arguments.push_back(kio::messages::Verbatim("character", *character.utf8));
        }
        return Refusal({character.utf8 ? "E303" : "E303.code", std::move(arguments)});
    }
    EditOutcome outcome;
    outcome.bytes = std::move(converted.bytes);
    return outcome;
}

// A fix with the start of the line it mends, in the text it applies to.
struct PlannedFix {
    kio::analysis::Fix fix;
    size_t lineStart = 0;
};

// `fixes` (in file order, none overlapping) applied to `text`; `lineStarts`
// gets where each fixed line starts in the result.
std::string Applied(std::string_view text, const std::vector<PlannedFix>& fixes,
                    std::vector<size_t>& lineStarts) {
    std::string fixed;
    size_t copied = 0;
    lineStarts.clear();
    // How far the fixes on lines before the current one moved it.
    size_t shifted = 0;
    ptrdiff_t shift = 0;
    for (const PlannedFix& planned : fixes) {
        // A fix lies within its line, so the walk stops at `planned` at the latest.
        for (; fixes[shifted].fix.offset < planned.lineStart; ++shifted) {
            KIO_ASSERT(&fixes[shifted] != &planned);
            shift += static_cast<ptrdiff_t>(fixes[shifted].fix.replacement.size()) -
                     static_cast<ptrdiff_t>(fixes[shifted].fix.length);
        }
        lineStarts.push_back(
            static_cast<size_t>(static_cast<ptrdiff_t>(planned.lineStart) + shift));
        const kio::analysis::Fix& fix = planned.fix;
        KIO_ASSERT(planned.lineStart <= fix.offset && copied <= fix.offset);
        fixed.append(text, copied, fix.offset - copied).append(fix.replacement);
        copied = fix.offset + fix.length;
    }
    fixed.append(text, copied);
    return fixed;
}

// The loader's reading of `after` must be that of `before`, except that each
// fixed line naming a binding now gives it the value its fix announced, and
// that value reaches the game where the line is the last to name it. Anything
// else (a neighbour read otherwise, a line joined to the next, a value that
// decodes to something else) makes the fixes unsure.
bool DoesWhatItAnnounces(std::string_view before, std::string_view after,
                         const std::vector<PlannedFix>& fixes,
                         const std::vector<size_t>& lineStarts,
                         const kio::binding::CodePage& codePage,
                         std::vector<Announced>& announced) {
    // A file that now looks like UTF-16 would be converted by the next fix.
    if (kio::analysis::LineNumbers(before).LastLine() !=
            kio::analysis::LineNumbers(after).LastLine() ||
        kio::analysis::DetectUtf16(after)) {
        return false;
    }
    const kio::analysis::FileAnalysis analysis = kio::analysis::AnalyseFile(after, codePage);
    const kio::analysis::LastLines winner = kio::analysis::LastLineOfEachBinding(analysis);
    GameValues expected = ReadGameValues(before, codePage);
    std::vector<Announced> reaching;
    KIO_ASSERT(lineStarts.size() == fixes.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        const kio::analysis::Fix& fix = fixes[i].fix;
        if (!fix.entry) {
            continue;
        }
        const auto line = std::lower_bound(
            analysis.lines.begin(), analysis.lines.end(), lineStarts[i],
            [](const kio::analysis::AnalysedLine& l, size_t offset) { return l.offset < offset; });
        if (line == analysis.lines.end() || line->offset != lineStarts[i] ||
            line->entry != fix.entry || line->value != fix.value) {
            return false;
        }
        if (winner[static_cast<size_t>(*fix.entry)] == &*line) {
            expected[static_cast<size_t>(*fix.entry)] = fix.value;
            reaching.push_back({*fix.entry, fix.value});
        }
    }
    if (ReadGameValues(after, codePage) != expected) {
        return false;
    }
    announced.insert(announced.end(), reaching.begin(), reaching.end());
    return true;
}

// The fixes `check` offers for `text`, in file order, none overlapping.
std::vector<PlannedFix> OfferedFixes(std::string_view text,
                                     const kio::binding::CodePage& codePage) {
    const kio::analysis::FileAnalysis analysis = kio::analysis::AnalyseFile(text, codePage);
    std::vector<PlannedFix> offered;
    for (kio::analysis::Finding& finding : kio::analysis::CollectFindings(analysis, codePage)) {
        if (!finding.fix || finding.fix->kind == kio::analysis::FixKind::ConvertUtf16) {
            continue;
        }
        // The line holding the fix: the last one starting at or before it.
        const auto after = std::upper_bound(
            analysis.lines.begin(), analysis.lines.end(), finding.fix->offset,
            [](size_t offset, const kio::analysis::AnalysedLine& l) { return offset < l.offset; });
        const size_t lineStart = after == analysis.lines.begin() ? 0 : std::prev(after)->offset;
        offered.push_back({std::move(*finding.fix), lineStart});
    }
    std::stable_sort(offered.begin(), offered.end(),
                     [](const auto& a, const auto& b) { return a.fix.offset < b.fix.offset; });
    std::vector<PlannedFix> kept;
    for (PlannedFix& planned : offered) {
        // A line turned off needs no other fix, and would make it unsure.
        if (!kept.empty() && kept.back().lineStart == planned.lineStart &&
            kept.back().fix.kind == kio::analysis::FixKind::TurnOffOverriddenLine) {
            continue;
        }
        // Two fixes of one spot wait for the next pass, which sees the first applied.
        const bool overlaps = !kept.empty() && (planned.fix.offset < kept.back().fix.offset +
                                                                         kept.back().fix.length ||
                                                planned.fix.offset == kept.back().fix.offset);
        if (!overlaps) {
            kept.push_back(std::move(planned));
        }
    }
    return kept;
}

// Applies the sure ones of `fixes` (in file order) to `text`: all at once when
// they all are, else each half in turn, the later first so that the earlier
// offsets still hold. False when none was sure.
bool ApplySure(std::string& text, std::span<const PlannedFix> fixes,
               const kio::binding::CodePage& codePage, std::vector<Announced>& announced) {
    if (fixes.empty()) {
        return false;
    }
    const std::vector<PlannedFix> batch(fixes.begin(), fixes.end());
    std::vector<size_t> lineStarts;
    std::string fixed = Applied(text, batch, lineStarts);
    if (DoesWhatItAnnounces(text, fixed, batch, lineStarts, codePage, announced)) {
        text = std::move(fixed);
        return true;
    }
    if (fixes.size() == 1) {
        return false;
    }
    const size_t half = fixes.size() / 2;
    const bool later = ApplySure(text, fixes.subspan(half), codePage, announced);
    const bool earlier = ApplySure(text, fixes.first(half), codePage, announced);
    return later || earlier;
}

// Applies the sure fixes of one pass; false when none was.
bool ApplyOnePass(std::string& text, const kio::binding::CodePage& codePage,
                  std::vector<Announced>& announced) {
    const std::vector<PlannedFix> fixes = OfferedFixes(text, codePage);
    return ApplySure(text, fixes, codePage, announced);
}

FixOutcome Fix(std::string_view file, const kio::binding::CodePage& codePage,
               Utf16ToCodePage toCodePage) {
    FixOutcome result;
    std::string base(file);
    if (kio::analysis::DetectUtf16(file) && kio::analysis::HasUtf16ByteOrderMark(file)) {
        EditOutcome converted = ConvertFromUtf16(file, codePage, toCodePage);
        if (converted.status != EditStatus::Ok) {
            result.edit = std::move(converted);
            return result;
        }
        base = std::move(converted.bytes);
        result.converted = base;
        result.convertedFrom =
            file.starts_with("\xFF\xFE") ? "encoding.utf16.little" : "encoding.utf16.big";
    }
    std::string text = base;
    int pass = 0;
    while (pass < kMaxPasses && ApplyOnePass(text, codePage, result.announced)) {
        ++pass;
    }
    // Fixes that keep finding something to do after every pass do not settle:
    // that is a fault to report, not a result to save.
    if (pass == kMaxPasses) {
        std::vector<Announced> more;
        std::string again = text;
        if (ApplyOnePass(again, codePage, more)) {
            result.edit = Refusal(
                {"E305", {kio::messages::Number("passes", static_cast<uint64_t>(kMaxPasses))}});
            return result;
        }
    }
    // No fix adds or removes a line break, so lines pair up one to one.
    if (kio::analysis::LineNumbers(base).LastLine() !=
        kio::analysis::LineNumbers(text).LastLine()) {
        result.edit = Refusal({"E304", {}});
        return result;
    }
    result.edit.changes = ChangedLines(base, text);
    result.remaining =
        kio::analysis::CollectFindings(kio::analysis::AnalyseFile(text, codePage), codePage);
    result.edit.bytes = std::move(text);
    return result;
}

}  // namespace

FixOutcome FixFile(std::string_view file, const kio::binding::CodePage& codePage,
                   Utf16ToCodePage toCodePage) {
    try {
        return Fix(file, codePage, toCodePage);
    } catch (...) {
        FixOutcome outcome;
        FailWithCurrentException(outcome.edit);
        outcome.remaining.clear();
        return outcome;
    }
}

}  // namespace kio::edit
