// Files where an edit or a fix could change more than it says: each is either
// done exactly, or refused or left alone.
#include <gtest/gtest.h>

#include "binding_edit.h"
#include "render.h"
#include "system_utf16.h"

namespace kio::edit {
namespace {

enum class Do { Set, Unset, Fix };

struct Case {
    const char* what;
    std::string file;
    uint32_t codePage;
    Do action;
    std::string binding;
    std::string value;
    std::string expected;  // the file afterwards; "" when refused
};

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

// The text after a fix left it as it was.
const char* const kUnchanged = "(unchanged)";

TEST(SureEdit, ChangesOnlyWhatItSays) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<Case> cases = {
        // A trail byte is no white space before ";", whatever the double-byte code page.
        {"trail space 932", "KB_Run=a\x81 \nKB_Item=i\n", 932, Do::Fix, "", "", kUnchanged},
        {"trail space 936", "KB_Run=a\x81 \nKB_Item=i\n", 936, Do::Fix, "", "", kUnchanged},
        {"trail space 949", "KB_Run=a\x81 \nKB_Item=i\n", 949, Do::Fix, "", "", kUnchanged},
        {"trail space 950", "KB_Run=a\x81 \nKB_Item=i\n", 950, Do::Fix, "", "", kUnchanged},
        {"trail tab, CR only", "KB_Run=a\x81\t\rKB_Item=i\r", 932, Do::Fix, "", "", kUnchanged},
        {"trail VT", "KB_Run=a\x81\x0B\nKB_Item=i\n", 936, Do::Fix, "", "", kUnchanged},
        {"trail FF", "KB_Run=a\x81\x0C\nKB_Item=i\n", 950, Do::Fix, "", "", kUnchanged},
        // A ";" key written as the game would drop it.
        {"no '=' before ';'", "KB_Run ;\r\n", 1252, Do::Fix, "", "", kUnchanged},
        {"no '=' after a ';' key", "KB_Run=;;\r\nKB_Run ;\r\n", 1252, Do::Fix, "", "", kUnchanged},
        // Values fix would have to guess.
        {"nine digits", "KB_Run=0x123456789 ;\n", 1252, Do::Fix, "", "", kUnchanged},
        {"digits then letters", "KB_Run=0x1dzz ;\n", 1252, Do::Fix, "", "", kUnchanged},
        {"pad digit", "PAD_Run=5 ;\n", 1252, Do::Fix, "", "", kUnchanged},
        // The byte-order mark hides a line.
        {"mark before a broken line", bom + "KB_Run=Spacebar\r\nKB_Item=i\r\n", 1252, Do::Fix, "",
         "", kUnchanged},
        {"mark before a capital", bom + "KB_Run=Space\r\n", 1252, Do::Fix, "", "",
         "KB_Run=space\r\n"},
        {"mark before a comment", bom + "; hello\r\n", 1252, Do::Fix, "", "", "; hello\r\n"},
        {"mark before UTF-16's", bom + std::string("\xFE\xFF\x00\x41", 4), 1252, Do::Fix, "", "",
         kUnchanged},
        // Marks written again and again go in one fix, so a second fix has nothing left.
        {"ten marks before a comment", Repeated(bom, 10) + "; hello\r\n", 1252, Do::Fix, "", "",
         "; hello\r\n"},
        {"ten marks before a capital", Repeated(bom, 10) + "KB_Run=Space\r\n", 1252, Do::Fix, "",
         "", "KB_Run=space\r\n"},
        {"unset behind the mark", bom + "KB_Run=lshift\r\n", 1252, Do::Unset, "KB_Run", "",
         bom + "; KB_Run=lshift\r\n"},
        {"a sure fix still made", "KB_Run Space\r\nKB_Item=I ;\r\n", 1252, Do::Fix, "", "",
         "KB_Run=space\r\nKB_Item=i;\r\n"},
        // A new line never follows a lead byte that takes the line break.
        {"add before a swallowed break", "KB_Item=i\r\nPAD_Run=0x1\xE9\r", 950, Do::Set,
         "PAD_MoveLeft", "0x2", "KB_Item=i\r\nPAD_MoveLeft=0x2\r\nPAD_Run=0x1\xE9\r"},
        {"add before a last lead byte", "PAD_Item=0x1\n; \xFE", 936, Do::Set, "KB_Run", "lshift",
         "PAD_Item=0x1\nKB_Run=lshift\n; \xFE"},
        {"replace on a joined line", "KB_Run=a\x81\nKB_Item=i\n", 932, Do::Set, "KB_Run", "b", ""},
        // Lines the game reads as the binding only once the file is repaired as
        // check advises are turned off as well, so that the edit stays one.
        {"unset past a NUL", std::string("KB_Run=a\0\nKB_Run=b\n", 19), 1252, Do::Unset, "KB_Run",
         "", std::string("; KB_Run=a\0\n; KB_Run=b\n", 23)},
        {"unset behind a swallowing lead byte", "KB_Item=a\x81\nKB_Run=b\n", 932, Do::Unset,
         "KB_Run", "", "KB_Item=a\x81\n; KB_Run=b\n"},
        {"unset behind a mark mid-file", "KB_Item=i\n" + bom + "KB_Run=b\n", 1252, Do::Unset,
         "KB_Run", "", "KB_Item=i\n" + bom + "; KB_Run=b\n"},
        {"set past a NUL", std::string("KB_Run=a\0\nKB_Run=b\n", 19), 1252, Do::Set, "KB_Run", "c",
         std::string("KB_Run=c\0\n; KB_Run=b\n", 21)},
        {"set behind a mark mid-file", "KB_Run=a\n" + bom + "KB_Run=b\n", 1252, Do::Set, "KB_Run",
         "c", "KB_Run=c\n" + bom + "; KB_Run=b\n"},
        // Converting UTF-16 never takes a look-alike: no backslash for the yen sign.
        {"yen sign in 932", std::string("\xFF\xFEK\0=\0\xA5\0", 8), 932, Do::Fix, "", "", ""},
        // The working line stays; the later broken one, which wins, is the one to mend.
        {"a working line before a broken one", "KB_Run=lcontrol\r\nKB_Run=Space Bar\r\n", 1252,
         Do::Fix, "", "", kUnchanged},
        {"yen sign in 1252", std::string("\xFF\xFEK\0=\0\xA5\0", 8), 1252, Do::Fix, "", "",
         "K=\xA5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const kio::binding::CodePage& codePage = *kio::binding::FindBuiltInCodePage(c.codePage);
        EditOutcome outcome;
        switch (c.action) {
            case Do::Set: outcome = SetBinding(c.file, c.binding, c.value, codePage); break;
            case Do::Unset: outcome = UnsetBinding(c.file, c.binding, codePage); break;
            case Do::Fix: outcome = FixFile(c.file, codePage, SystemUtf16ToCodePage).edit; break;
        }
        if (c.expected.empty()) {
            EXPECT_EQ(outcome.status, EditStatus::Refused);
            continue;
        }
        ASSERT_EQ(outcome.status, EditStatus::Ok) << kio::messages::Render(outcome.refusal);
        EXPECT_EQ(outcome.bytes, c.expected == kUnchanged ? c.file : c.expected);
    }
}

// A converter that blames a code unit past the text, or no unit at all, is
// refused with the code page named, never read out of bounds.
TEST(SureEdit, AConverterThatBlamesNoCharacterIsRefused) {
    const std::string utf16("\xFF\xFEK\0=\0a\0", 8);
    const auto blamesTheEnd = [](std::u16string_view text, uint32_t) {
        return Utf16Conversion{ConversionStatus::NoFormInCodePage, "", text.size()};
    };
    const auto fails = [](std::u16string_view, uint32_t) { return Utf16Conversion{}; };
    for (const Utf16ToCodePage converter : {+blamesTheEnd, +fails}) {
        const FixOutcome fixed =
            FixFile(utf16, *kio::binding::FindBuiltInCodePage(1252), converter);
        EXPECT_EQ(fixed.edit.status, EditStatus::Refused);
        EXPECT_EQ(fixed.edit.refusal.key, "E301");
    }
}

}  // namespace
}  // namespace kio::edit
