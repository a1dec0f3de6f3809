#include <cstdio>
#include <string_view>
#include <vector>

#include "browser_keys.h"
#include "commands.h"
#include "terminal_cells.h"
#include "vocabulary.h"
#include "words.h"

namespace kio::kiobind {
namespace {

// Where the header's columns start, in terminal cells: a label starts after two
// spaces or more, so that the rows line up under a header in any language.
std::vector<size_t> ColumnStarts(std::string_view header) {
    std::vector<size_t> starts{0};
    size_t spaces = 0;
    for (size_t i = 0; i < header.size(); ++i) {
        if (header[i] == ' ') {
            ++spaces;
            continue;
        }
        if (spaces >= 2) {
            starts.push_back(Cells(header.substr(0, i)));
        }
        spaces = 0;
    }
    return starts;
}

}  // namespace

int RunKeys(const Context& context, Output& output) {
    const std::string header = Words(context.language, "cli.keys.header");
    output.out += context.style(Paint::Bold, header) + "\n";
    std::vector<size_t> starts = ColumnStarts(header);
    // Key name, code, DirectInput name, browser key.
    constexpr size_t kColumns = 4;
    starts.resize(kColumns, starts.back());
    for (const kio::binding::KeyName& key : kio::binding::kKeyNames) {
        const std::string spelling = analysis::FileSpelling(key.name);
        // "-" and "/" are listed twice; the file can reach only the later code.
        if (kio::binding::FindKeyCode(spelling) != key.code) {
            continue;
        }
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(key.code));
        const auto width = [&](size_t column, size_t gap) {
            return starts[column + 1] > starts[column] + gap
                       ? starts[column + 1] - starts[column] - gap
                       : 0;
        };
        std::string text = Padded(spelling, width(0, 1)) + " " + Padded(code, width(1, 2)) + "  " +
                           Padded(std::string(key.name), width(2, 2)) + "  " +
                           std::string(analysis::BrowserCodeOf(key.code));
        text.erase(text.find_last_not_of(' ') + 1);
        output.out += text + "\n";
    }
    return kExitClean;
}

}  // namespace kio::kiobind
