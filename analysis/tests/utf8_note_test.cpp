// The note for a file saved as UTF-8, and the Shift-JIS and Western files it must
// leave alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "file_analysis.h"
#include "findings.h"

namespace kio::analysis {
namespace {

// The line of the file's UTF-8 note, if it has one.
std::optional<int> Utf8NoteLine(std::string_view bytes, uint32_t codePageId) {
    const kio::binding::CodePage& codePage = *kio::binding::FindBuiltInCodePage(codePageId);
    const std::vector<Finding> findings = CollectFindings(AnalyseFile(bytes, codePage), codePage);
    const auto note = std::find_if(findings.begin(), findings.end(),
                                   [](const Finding& f) { return f.message.Id() == "K106"; });
    if (note == findings.end()) {
        return std::nullopt;
    }
    EXPECT_EQ(note->severity, Severity::Note);
    EXPECT_GE(static_cast<uint8_t>(bytes[note->span.offset]), 0xC2);
    return note->line;
}

TEST(Utf8Note, Utf8TextButNotShiftJisWesternOrAsciiBehindAMark) {
    const std::optional<int> none;
    struct Case {
        std::string_view bytes;
        uint32_t codePage;
        std::optional<int> line;
    };
    const Case cases[] = {
        // "; 回避" in UTF-8, on line 2.
        {"KB_Evade=e\n; \xE5\x9B\x9E\xE9\x81\xBF\n", 932, 2},
        {"KB_Evade=e\n; \xE5\x9B\x9E\xE9\x81\xBF\n", 1252, 2},
        {"\xEF\xBB\xBF; \xE5\x9B\x9E\xE9\x81\xBF\n", 932, 1},  // behind a byte-order mark
        {"\xEF\xBB\xBF; plain\nKB_Run=space\n", 932, none},    // the mark alone is no text
        {"; caf\xC3\xA9\n", 1252, 1},
        // Shift-JIS: 表示, 回避はシフトキー, 凜とした (whose first bytes are valid
        // UTF-8), half-width ｺﾒﾝﾄ ﾃｽﾄ and ﾃｱ (the 2-byte form of "ñ").
        {"; \x95\\\x8E\xA6\n", 932, none},
        {"; \x89\xF1\x94\xF0\x82\xCD\x83V\x83t\x83g\x83L\x81[\n", 932, none},
        {"; \xEA\xA3\x82\xC6\x82\xB5\x82\xBD\n", 932, none},
        {"; \xBA\xD2\xDD\xC4 \xC3\xBD\xC4\n", 932, none},
        {"; \xC3\xB1\n", 932, none},
        // Western: é alone; UTF-8 with one stray byte is no UTF-8 file.
        {"; caf\xE9\n", 1252, none},
        {"; \xE5\x9B\x9E\xE9\x81\xBF \xE9\n", 932, none},
        // Overlong, surrogate and past U+10FFFF forms are not UTF-8.
        {"; \xC0\xAF \xE0\x80\xAF\n", 1252, none},
        {"; \xED\xA0\x80\n", 1252, none},
        {"; \xF4\x90\x80\x80\n", 1252, none},
        {"; \xE5\x9B\n", 1252, none},  // cut short at the end
        {"KB_Run=space\n", 932, none},
        // In the last block of a 64-byte step of the scan, text following.
        {"; 012345678901234567890123456789012345678901234567890123\xC3\xA9 and more text\n", 1252,
         1},
        {"; caf\xC3\xA9"
         "012345678901234567890123456789012345678901234567890123456\xE9 and more text\n",
         1252, none},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8NoteLine(c.bytes, c.codePage), c.line)
            << testing::PrintToString(std::string(c.bytes)) << " in " << c.codePage;
    }
}

// Read in a double-byte code page, a UTF-8 comment may end in a lead byte and
// take the next line with it: a binding lost, whatever the note says.
TEST(Utf8Note, ACommentThatSwallowsABindingIsAWarning) {
    struct Case {
        std::string_view bytes;
        uint32_t codePage;
        bool warned;
    };
    const Case cases[] = {
        {"; \xE3\x82\xAD\xEF\xBC\x89\nKB_Run=lshift\n", 932, true},  // "キ）" in UTF-8
        {"; \xE3\x82\xAD\xEF\xBC\x89\nKB_Run=lshift\n", 1252, false},
        {"; \x83\x4C\nKB_Run=lshift\n", 932, false},  // "キ" in Shift-JIS
        {"; \x89\n; and a comment\n", 932, false},    // a comment takes a comment
        {"; \x89\r\nKB_Run=lshift\n", 932, false},    // only the CR goes
    };
    for (const Case& c : cases) {
        const kio::binding::CodePage& codePage = *kio::binding::FindBuiltInCodePage(c.codePage);
        const std::vector<Finding> findings =
            CollectFindings(AnalyseFile(c.bytes, codePage), codePage);
        const bool warned = std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
            return f.message.Id() == "K201" && f.line == 1;
        });
        EXPECT_EQ(warned, c.warned)
            << testing::PrintToString(std::string(c.bytes)) << " in " << c.codePage;
    }
}

}  // namespace
}  // namespace kio::analysis
