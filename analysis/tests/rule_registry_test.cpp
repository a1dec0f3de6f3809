// Every place that names a finding's or refusal's identifier agrees with the
// rule registry: the README's table, the message catalogue and the golden
// transcripts; and every rule has its row, its words in every language and,
// for a finding, its line in the players' READMEs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "message_catalogue.h"
#include "rule_registry.h"

namespace kio::analysis {
namespace {

// One place naming an identifier, with what it says about the rule, if anything.
struct Mention {
    std::string id;
    std::string where;
    std::optional<std::string> level;
    std::optional<std::string> fix;
    std::optional<std::string> summary;
};

std::string Read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The table's rows: "| K101 | warning | what |", or a range "| E101–E105 | refusal | ... |".
std::vector<Mention> ReadmeRows(const std::string& readme) {
    static const std::regex row(R"(\n\| ([KE])(\d{3})(?:–[KE](\d{3}))? \| (\w+) \| (.*) \|)");
    std::vector<Mention> rows;
    for (std::sregex_iterator it(readme.begin(), readme.end(), row), end; it != end; ++it) {
        const std::smatch& m = *it;
        const int first = std::stoi(m[2]);
        const int last = m[3].matched ? std::stoi(m[3]) : first;
        for (int number = first; number <= last; ++number) {
            std::optional<std::string> summary;
            if (!m[3].matched) {
                summary = m[5];
            }
            rows.push_back({m[1].str() + std::to_string(number), "README.md", m[4], {}, summary});
        }
    }
    return rows;
}

std::vector<Mention> CatalogueKeys() {
    static const std::regex identifier(R"([KE]\d{3})");
    std::vector<Mention> keys;
    for (const messages::CatalogueEntry& entry : messages::MessageCatalogue()) {
        // A players' README line, "summary.K101", names its finding too.
        const std::string key(entry.key);
        const std::string named = key.starts_with("summary.") ? key.substr(8) : key;
        if (std::regex_match(named.substr(0, 4), identifier)) {
            keys.push_back({named.substr(0, 4), "po: " + key, {}, {}, {}});
        }
    }
    return keys;
}

// Every identifier a transcript prints; in JSON, with the severity and the
// kind of fix of its finding.
std::vector<Mention> GoldenMentions(const std::filesystem::path& folder) {
    static const std::regex anywhere(R"(\b[KE]\d{3}\b)");
    static const std::regex finding(R"x("id": "([KE]\d{3})"[^{]*"severity": "(\w+)")x");
    static const std::regex fixKind(R"x("kind": "([\w-]+)")x");
    std::vector<Mention> mentions;
    for (const auto& file : std::filesystem::recursive_directory_iterator(folder)) {
        if (!file.is_regular_file()) {
            continue;
        }
        const std::string text = Read(file.path());
        const std::string where = file.path().filename().string();
        for (std::sregex_iterator it(text.begin(), text.end(), anywhere), end; it != end; ++it) {
            mentions.push_back({it->str(), where, {}, {}, {}});
        }
        for (std::sregex_iterator it(text.begin(), text.end(), finding), end; it != end; ++it) {
            // The finding's own part of the document: up to the next one.
            const size_t next = text.find("\"id\": ", static_cast<size_t>(it->position() + 1));
            const std::string own = text.substr(static_cast<size_t>(it->position()),
                                                next - static_cast<size_t>(it->position()));
            std::smatch kind;
            std::optional<std::string> fix;
            if (std::regex_search(own, kind, fixKind)) {
                fix = kind[1];
            }
            mentions.push_back({(*it)[1], where, (*it)[2], fix, {}});
        }
    }
    return mentions;
}

bool InCatalogue(std::string_view key) {
    for (const messages::CatalogueEntry& entry : messages::MessageCatalogue()) {
        if ((entry.key == key ||
             (entry.key.starts_with(key) && entry.key.substr(key.size()).starts_with("."))) &&
            !entry.english.empty() && !entry.japanese.empty()) {
            return true;
        }
    }
    return false;
}

TEST(RuleRegistry, EveryPlaceNamingAnIdentifierAgreesWithIt) {
    const std::filesystem::path source(KIO_SOURCE_DIR);
    const std::vector<Mention> readme = ReadmeRows(Read(source / "README.md"));
    std::vector<Mention> mentions = readme;
    for (const std::vector<Mention>& more :
         {CatalogueKeys(), GoldenMentions(source / "tools/kiobind/tests/golden")}) {
        mentions.insert(mentions.end(), more.begin(), more.end());
    }
    ASSERT_GT(readme.size(), 30u);
    for (const Mention& mention : mentions) {
        SCOPED_TRACE(mention.where + ": " + mention.id);
        const Rule* rule = FindRule(mention.id);
        if (rule == nullptr) {
            ADD_FAILURE() << "not in the registry";
            continue;
        }
        if (mention.level) {
            EXPECT_EQ(*mention.level, RuleLevelName(rule->level));
        }
        if (mention.fix) {
            EXPECT_EQ(*mention.fix, rule->fix ? FixName(*rule->fix) : "(none)");
        }
        if (mention.summary) {
            EXPECT_EQ(*mention.summary, rule->summary);
        }
    }
    for (const Rule& rule : Rules()) {
        SCOPED_TRACE(rule.id);
        EXPECT_TRUE(std::any_of(readme.begin(), readme.end(), [&](const Mention& row) {
            return row.id == rule.id;
        })) << "no row in the README's table";
        EXPECT_TRUE(InCatalogue(rule.catalogueKey)) << rule.catalogueKey << " not in po/";
        if (rule.level != RuleLevel::Refusal) {
            EXPECT_NE(messages::FindCatalogueEntry("summary." + std::string(rule.id)), nullptr)
                << "no line for the players' READMEs";
        }
    }
}

}  // namespace
}  // namespace kio::analysis
