// The values kiobind reports must be the values the loader writes: for random
// files and random caller lists, under a single- and a double-byte code page.
#include <gtest/gtest.h>

#include <random>

#include "binding_table.h"
#include "file_analysis.h"
#include "findings.h"
#include "load_bindings.h"
#include "random_binding_file.h"
#include "render.h"
#include "test_files.h"

namespace kio::kiobind {
namespace {

constexpr int kFilesPerCodePage = 1500;

// A default no line can produce by accident, different in every slot.
int32_t DefaultOf(int slot) { return 0x7EAD0000 + slot; }

TEST(Agreement, ShowReportsWhatTheLoaderWrites) {
    for (const uint32_t codePageId : {1252u, 932u}) {
        const kio::binding::CodePage& codePage = *kio::binding::FindBuiltInCodePage(codePageId);
        std::mt19937 random(codePageId);
        for (int round = 0; round < kFilesPerCodePage; ++round) {
            const std::string bytes = binding::test::RandomBindingFile(random);
            const auto list = binding::test::RandomActionList(random);

            const analysis::FileAnalysis analysis = analysis::AnalyseFile(bytes, codePage);
            const analysis::BindingTable table =
                analysis::BuildBindingTable(analysis, list, codePage);

            kio::binding::test::FakeFiles files;
            files.files[kio::binding::test::kDefaultBindingFilePath] = bytes;
            const kio::binding::test::FakeFileSystem fileSystem(files);
            std::array<const char*, kio::binding::kActionCount> names;
            for (int j = 0; j < kio::binding::kActionCount; ++j) names[j] = list[j].c_str();
            std::array<int32_t, kio::binding::kBindingCount> written;
            for (int slot = 0; slot < kio::binding::kBindingCount; ++slot)
                written[slot] = DefaultOf(slot);
            ASSERT_EQ(kio::binding::LoadBindings(written.data(), kio::binding::kBindingCount,
                                                 names.data(), fileSystem.Get(), codePage),
                      kio::binding::kOk);

            for (int slot = 0; slot < kio::binding::kBindingCount; ++slot) {
                const analysis::AnalysedLine* setBy = table.slots[slot].setBy;
                const int32_t reported = setBy ? setBy->value : DefaultOf(slot);
                ASSERT_EQ(reported, written[slot])
                    << "code page " << codePageId << ", round " << round << ", slot " << slot
                    << ", set by line " << (setBy ? setBy->number : 0);
            }
            // The checker copes with the same files, and every finding names a real line.
            for (const analysis::Finding& finding : analysis::CollectFindings(analysis, codePage)) {
                ASSERT_GE(finding.line, 1) << messages::Render(finding.message);
                ASSERT_LE(finding.line, analysis.lineNumbers.LastLine())
                    << messages::Render(finding.message);
            }
        }
    }
}

TEST(Agreement, PositionsWithoutAnActionAreNeverWritten) {
    auto list = analysis::TableOrder();
    list[9] = "Run";     // Run takes position 9, so 18 repeats it, and Right goes missing
    list[4] = "Sprint";  // no such action: TurnRight goes missing
    const std::string bytes = "KB_Right=a\nKB_Run=b\nKB_TurnRight=c\n";
    const analysis::FileAnalysis analysis =
        analysis::AnalyseFile(bytes, kio::binding::DefaultCodePage());
    const analysis::BindingTable table =
        analysis::BuildBindingTable(analysis, list, kio::binding::DefaultCodePage());

    EXPECT_EQ(table.positions[9].action, 18);
    EXPECT_EQ(table.positions[18].repeatOf, 9);
    EXPECT_FALSE(table.positions[4].action);
    EXPECT_FALSE(table.positions[4].repeatOf);
    EXPECT_EQ(table.unlistedActions, (std::vector<int>{4, 9}));
    EXPECT_EQ(table.slots[8].setBy, nullptr);   // position 4 has no action
    EXPECT_EQ(table.slots[36].setBy, nullptr);  // position 18 repeats 9
    ASSERT_NE(table.slots[18].setBy, nullptr);
    EXPECT_EQ(table.slots[18].setBy->number, 2);
}

}  // namespace
}  // namespace kio::kiobind
