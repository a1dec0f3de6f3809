// For random files: each finding points at bytes of its own line, says so in
// printable ASCII with the severity and fix the rule registry gives its
// identifier, and each sure fix, applied alone, ends that finding and
// touches no other binding.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <set>

#include "characters.h"
#include "file_analysis.h"
#include "findings.h"
#include "random_binding_file.h"
#include "render.h"
#include "rule_registry.h"

namespace kio::analysis {
namespace {

constexpr int kFilesPerCodePage = 1500;

using SlotValues = std::array<std::optional<int32_t>, kio::binding::kBindingCount>;

SlotValues ValuesOf(const FileAnalysis& analysis) {
    SlotValues values;
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry) {
            values[*line.entry] = line.value;
        }
    }
    return values;
}

std::set<int> EntriesOnLine(const FileAnalysis& analysis, int number) {
    std::set<int> entries;
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry && line.number == number) {
            entries.insert(*line.entry);
        }
    }
    return entries;
}

// The bytes of line `number` up to its line break.
size_t LineLength(std::string_view bytes, const LineNumbers& lines, int number) {
    const size_t start = lines.LineStart(number);
    return std::min(bytes.find_first_of("\r\n", start), bytes.size()) - start;
}

void CheckFile(const std::string& bytes, const kio::binding::CodePage& codePage) {
    const FileAnalysis analysis = AnalyseFile(bytes, codePage);
    const SlotValues before = ValuesOf(analysis);
    for (const Finding& finding : CollectFindings(analysis, codePage)) {
        SCOPED_TRACE(messages::Render(finding.message));
        // No byte of the file reaches a terminal unescaped.
        const std::string text = messages::Render(finding.message);
        EXPECT_TRUE(
            std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }));
        // Its severity and fix are those the registry gives its identifier.
        const Rule* rule = FindRule(finding.message.Id());
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->level, RuleLevelOf(finding.severity));
        EXPECT_TRUE(!finding.fix || rule->fix == finding.fix->kind);
        ASSERT_GE(finding.line, 1);
        ASSERT_LE(finding.line, analysis.lineNumbers.LastLine());
        EXPECT_EQ(finding.span.offset,
                  analysis.lineNumbers.LineStart(finding.line) + finding.column);
        EXPECT_LE(finding.column + finding.span.length,
                  LineLength(bytes, analysis.lineNumbers, finding.line));
        if (!finding.fix || finding.fix->kind == FixKind::ConvertUtf16) {
            continue;
        }
        std::string fixed = bytes;
        fixed.replace(finding.fix->offset, finding.fix->length, finding.fix->replacement);
        const FileAnalysis after = AnalyseFile(fixed, codePage);
        for (const Finding& left : CollectFindings(after, codePage)) {
            EXPECT_FALSE(left.line == finding.line && left.message.key == finding.message.key)
                << "still there after the fix";
        }
        std::set<int> own = EntriesOnLine(analysis, finding.line);
        own.merge(EntriesOnLine(after, finding.line));
        const SlotValues now = ValuesOf(after);
        // What the finding announces is what the game then reads, even where a
        // later line names the binding too.
        if (finding.fix->entry &&
            EntriesOnLine(after, finding.line).contains(*finding.fix->entry)) {
            EXPECT_EQ(now[*finding.fix->entry], finding.fix->gameReads) << "announced value";
        }
        for (int entry = 0; entry < kio::binding::kBindingCount; ++entry) {
            if (!own.contains(entry)) {
                EXPECT_EQ(now[entry], before[entry]) << kio::binding::BindingName(entry);
            }
        }
    }
}

TEST(FindingsProperty, SpansInTheirLineAndFixesEndTheirFinding) {
    for (const uint32_t codePageId : {1252u, 932u}) {
        std::mt19937 random(std::mt19937::result_type{codePageId} * 7);
        for (int round = 0; round < kFilesPerCodePage; ++round) {
            const std::string bytes = binding::test::RandomBindingFile(random);
            SCOPED_TRACE(testing::Message() << "code page " << codePageId << ", round " << round);
            CheckFile(bytes, *kio::binding::FindBuiltInCodePage(codePageId));
            if (HasFailure()) {
                return;
            }
        }
    }
}

// The single-byte fast paths find what a walk character by character finds.
TEST(Characters, WhiteSpaceAsAWalkFindsIt) {
    const std::string alphabet("ab\x08\t\n\x0B\x0C\r\x0E \x1F!\x80\x88\x89\x8D\xA0\xFF", 18);
    std::mt19937 random(5);
    const kio::binding::CodePage& westernEuropean = *kio::binding::FindBuiltInCodePage(1252);
    for (int round = 0; round < 20000; ++round) {
        // Texts past a 64-byte step, some with their first white space deep in.
        std::string text(random() % 200, 'x');
        const unsigned sparseness = 1 + static_cast<unsigned>(round) % 100;
        for (char& c : text) {
            c = random() % sparseness == 0 ? alphabet[random() % alphabet.size()] : 'x';
        }
        size_t first = 0;
        while (first < text.size() &&
               !kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[first]))) {
            ++first;
        }
        size_t end = text.size();
        while (end > 0 && kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[end - 1]))) {
            --end;
        }
        ASSERT_EQ(FirstWhiteSpaceCharacter(text, westernEuropean), first) << text;
        ASSERT_EQ(TrimEndCharacters(text, westernEuropean).size(), end) << text;
    }
}

}  // namespace
}  // namespace kio::analysis
