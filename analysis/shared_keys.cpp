#include "shared_keys.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "browser_keys.h"
#include "characters.h"
#include "vocabulary.h"

namespace kio::analysis {

bool IsMenuAction(int action) {
    static constexpr std::string_view kMenuActions[] = {"Up",    "Down",   "Left",    "Right",
                                                        "Enter", "Cancel", "SkipDemo"};
    return std::find(std::begin(kMenuActions), std::end(kMenuActions),
                     kio::binding::kActions[static_cast<size_t>(action)].name) !=
           std::end(kMenuActions);
}

void AddSharedKeys(const FileAnalysis& analysis, std::vector<Finding>& findings) {
    const LastLines last = LastLineOfEachBinding(analysis);
    // Keyboard and pad values are different things: entry parity, then value.
    std::map<std::pair<int, int32_t>, std::vector<int>> holders;
    for (int entry = 0; entry < kio::binding::kBindingCount; ++entry) {
        const AnalysedLine* line = last[static_cast<size_t>(entry)];
        if (line != nullptr && line->value != 0) {
            holders[{entry % 2, line->value}].push_back(entry);
        }
    }
    for (const auto& [kindAndValue, entries] : holders) {
        if (entries.size() < 2) {
            continue;
        }
        const auto lastSet = std::max_element(entries.begin(), entries.end(), [&](int a, int b) {
            return last[static_cast<size_t>(a)]->offset < last[static_cast<size_t>(b)]->offset;
        });
        const AnalysedLine& line = *last[static_cast<size_t>(*lastSet)];
        std::string others;
        int menu = 0;
        for (const int entry : entries) {
            menu += IsMenuAction(entry / 2) ? 1 : 0;
            if (entry != *lastSet) {
                others +=
                    (others.empty() ? "" : ", ") + std::string(kio::binding::BindingName(entry));
            }
        }
        const int play = static_cast<int>(entries.size()) - menu;
        const char* key = play > 1 ? "K502.play" : menu > 1 ? "K502.menu" : "K501";
        findings.push_back(
            {line.number,
             messages::Message{
                 key,
                 {messages::Plain("binding", std::string(kio::binding::BindingName(*lastSet))),
                  messages::Plain("value", WrittenValue(*lastSet, kindAndValue.second)),
                  messages::Plain("others", others)}},
             SpanOf(line, line.valueText)});
    }
}

}  // namespace kio::analysis
