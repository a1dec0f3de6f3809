// The page's questions about rules get kiobind's answers: the bridge built
// natively, asked about random files and typed values, against what `set`
// and the loader do with them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "binding_edit.h"
#include "code_page.h"
#include "edit_request.h"
#include "game_values.h"
#include "random_binding_file.h"
#include "rules_api.h"
#include "vocabulary.h"

namespace {

nlohmann::json Answer(char* text) {
    const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
    return nlohmann::json::parse(owned.get());
}

// A value as a player may type it: key names in any case, numbers in any base,
// blanks around them, other characters, or nothing.
std::string RandomTypedValue(std::mt19937& random) {
    const auto pick = [&](size_t count) { return static_cast<size_t>(random() % count); };
    std::string value;
    switch (pick(6)) {
        case 0: value = kio::binding::kKeyNames[pick(kio::binding::kKeyNames.size())].name; break;
        case 1: value = "0x" + std::string(1 + pick(10), "0123456789aBcDeFg"[pick(17)]); break;
        case 2: value = std::to_string(random() % 300); break;
        case 3: value = std::string(pick(4), "xz\x82\xA0\xE3 "[pick(6)]); break;
        case 4: value = "0X" + std::to_string(pick(99)); break;
        default: value = "\xEF\xBC\x91";  // a full-width digit, as UTF-8
    }
    for (char& c : value) {
        c = pick(2) != 0 ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    }
    if (pick(8) == 0) {
        value = pick(2) != 0 ? " " + value : value + " ";
    }
    return value;
}

TEST(PageBridge, AnswersAsKiobindDoes) {
    std::mt19937 random(27);
    for (int round = 0; round < 400; ++round) {
        const kio::binding::CodePage& codePage =
            *kio::binding::BuiltInCodePages()[random() % kio::binding::BuiltInCodePages().size()];
        const std::string file = kio::binding::test::RandomBindingFile(random);

        // Lines: each from its start to its break, and one break between two.
        const nlohmann::json lines = Answer(kio_lines(file.data(), file.size()));
        const auto starts = lines["starts"].get<std::vector<size_t>>();
        const auto ends = lines["ends"].get<std::vector<size_t>>();
        ASSERT_EQ(starts.size(), ends.size());
        EXPECT_EQ(starts.front(), 0u);
        EXPECT_EQ(ends.back(), file.size());
        for (size_t i = 0; i < starts.size(); ++i) {
            const std::string line = file.substr(starts[i], ends[i] - starts[i]);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << file;
            if (i + 1 < starts.size()) {
                const std::string lineBreak = file.substr(ends[i], starts[i + 1] - ends[i]);
                EXPECT_TRUE(lineBreak == "\r\n" || lineBreak == "\r" || lineBreak == "\n") << file;
                EXPECT_FALSE(lineBreak == "\r" && file[starts[i + 1]] == '\n') << file;
            }
        }

        // UTF-16 as set refuses it.
        const bool little = random() % 2 != 0;
        std::string utf16;
        for (const char c : file) {
            utf16 += little ? std::string{c, '\0'} : std::string{'\0', c};
        }
        for (const std::string& bytes : {file, utf16, "\xFF\xFE" + file, "\xFE\xFF" + file}) {
            const kio::edit::EditOutcome set =
                kio::edit::SetBinding(bytes, "KB_Run", "space", codePage);
            const bool refusedAsUtf16 =
                set.status == kio::edit::EditStatus::Refused && set.refusal.Id() == "E202";
            EXPECT_EQ(
                Answer(kio_encoding(bytes.data(), bytes.size(), codePage.id))["utf16"].get<bool>(),
                refusedAsUtf16)
                << bytes;
        }

        // A typed value: refused where set refuses it, else the value the game
        // reads once set writes it.
        const int entry = static_cast<int>(random() % kio::binding::kBindingCount);
        const std::string binding(kio::binding::BindingName(entry));
        const std::string typed = RandomTypedValue(random);
        const nlohmann::json answer = Answer(
            kio_value(binding.data(), binding.size(), typed.data(), typed.size(), codePage.id));
        const kio::edit::EditOutcome set = kio::edit::SetBinding("", binding, typed, codePage);
        // Refused with set's words, in both languages, exactly where set refuses.
        EXPECT_EQ(answer["refusal"].size(), set.status == kio::edit::EditStatus::Ok ? 0u : 2u)
            << binding << "=" << typed;
        if (set.status != kio::edit::EditStatus::Ok) {
            EXPECT_TRUE(answer["value"].is_null()) << binding << "=" << typed;
        } else {
            EXPECT_EQ(answer["value"],
                      *kio::edit::ReadGameValues(set.bytes, codePage)[static_cast<size_t>(entry)])
                << binding << "=" << typed;
        }

        // A value as the page shows it is what set writes back as that value.
        const auto& keys = kio::binding::kKeyNames;
        const int32_t value =
            random() % 2 != 0 ? keys[random() % keys.size()].code : static_cast<int32_t>(random());
        const std::string written = Answer(kio_written(value, entry % 2))["text"];
        const kio::edit::EditOutcome rewritten =
            kio::edit::SetBinding("", binding, written, codePage);
        ASSERT_EQ(rewritten.status, kio::edit::EditStatus::Ok) << binding << "=" << written;
        EXPECT_EQ(*kio::edit::ReadGameValues(rewritten.bytes, codePage)[static_cast<size_t>(entry)],
                  value)
            << binding << "=" << written;
    }
}

std::string KindOf(const std::string& bytes) {
    return Answer(kio_text_kind(bytes.data(), bytes.size()))["kind"];
}

// Each kind known by its start, one byte short of it, the share of control
// bytes either side of one in twenty (of the first 64 KiB alone), the controls
// text holds, and UTF-16.
TEST(PageBridge, TellsTextFromOtherFiles) {
    using namespace std::string_literals;
    const std::string text(19, 'a');
    // 3276 controls in 64 KiB are fewer than one in twenty, 3277 are not.
    const std::string fewest(65536 - 3276, 'a');
    const struct {
        std::string bytes;
        std::string kind;
    } cases[] = {
        {"", "text"},
        {"\x89PNG\r\n\x1A\n" + text, "png"},
        {"\x89PN", "text"},
        {"\xFF\xD8\xFF\xE0", "jpeg"},
        {"GIF89a", "gif"},
        {"PK\x03\x04", "zip"},
        {"PK\x03" + text, "text"},
        {"%PDF-1.7\n", "pdf"},
        {"MZ", "exe"},
        {"\x7F\x45LF", "elf"},
        {"RIFF", "riff"},
        {text + "\x01", "text"},
        {text.substr(1) + "\x01\x7F", "controls"},
        {text.substr(1) + "\x0B\x1F", "controls"},
        {text.substr(1) + "\0\0"s, "controls"},
        {"\t\n\x0C\r\x1A\x1B", "text"},
        {fewest + std::string(9999, '\x01'), "text"},
        {fewest.substr(1) + std::string(9999, '\x01'), "controls"},
        {"K\0B\0_\0\x01\0\x02\0"s, "text"},
        {"\xFF\xFE\x01\x02\x03\x04"s, "text"},
        {"\0K\0B\0_\x01\0\x02\0"s + std::string(99, '\x03'), "controls"},
    };
    for (const auto& [bytes, kind] : cases) {
        EXPECT_EQ(KindOf(bytes), kind) << bytes;
    }
}

TEST(PageBridge, ListsTheCodePagesFilesAreReadIn) {
    const nlohmann::json pages = Answer(kio_code_pages());
    EXPECT_EQ(pages.front()["id"], kio::binding::kDefaultCodePageId);
    size_t builtIn = 0;
    for (uint32_t id = 0; id < 70000; ++id) {
        builtIn += kio::binding::FindBuiltInCodePage(id) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(pages.size(), builtIn);
    for (const nlohmann::json& shown : pages) {
        const kio::binding::CodePage* page = kio::binding::FindBuiltInCodePage(shown["id"]);
        ASSERT_NE(page, nullptr) << shown;
        EXPECT_NE(shown["decoder"], "") << shown["id"];
        std::vector<int> leadBytes;
        std::vector<int> trailBytes;
        for (int byte = 0; byte < 256; ++byte) {
            if (page->IsLeadByte(static_cast<uint8_t>(byte))) {
                leadBytes.push_back(byte);
            }
            if (kio::binding::IsTrailByte(*page, static_cast<uint8_t>(byte))) {
                trailBytes.push_back(byte);
            }
        }
        EXPECT_EQ(shown["leadBytes"], leadBytes) << shown["id"];
        EXPECT_EQ(shown["trailBytes"], trailBytes) << shown["id"];
        EXPECT_EQ(trailBytes.empty(), leadBytes.empty()) << shown["id"];
    }
}

}  // namespace
