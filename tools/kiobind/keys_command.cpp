#include <cstdio>

#include "browser_keys.h"
#include "commands.h"
#include "words.h"
#include "vocabulary.h"

namespace kiobind {

int RunKeys(const Context& context, Output& output) {
    output.out +=
        context.style(Paint::Bold, Words(context.language, "cli.keys.header")) + "\n";
    for (const kio::KeyName& key : kio::kKeyNames) {
        const std::string spelling = FileSpelling(key.name);
        // "-" and "/" are listed twice; the file can reach only the later code.
        if (kio::FindKeyCode(spelling) != key.code) {
            continue;
        }
        char line[96];
        std::snprintf(line, sizeof line, "%-13s 0x%02X  %-16s  %s", spelling.c_str(),
                      static_cast<unsigned>(key.code), std::string(key.name).c_str(),
                      std::string(BrowserCodeOf(key.code)).c_str());
        std::string text(line);
        text.erase(text.find_last_not_of(' ') + 1);
        output.out += text + "\n";
    }
    return kExitClean;
}

}  // namespace kiobind
