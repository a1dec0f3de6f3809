#include "commands.h"
#include "kio_version.h"
#include "words.h"

namespace kio::kiobind {
namespace {

std::string Compose(messages::Language language, std::string_view usage, std::string_view options,
                    std::string_view examples) {
    return Words(language, std::string(usage)) + Words(language, "help.saving") +
           Words(language, "help.options") + std::string(options) +
           Words(language, "help.edit-exit") + std::string(examples);
}

}  // namespace

std::string_view VersionLine() { return "kiobind " KIO_VERSION_STRING "\n"; }

std::string HelpText(Command command, messages::Language language) {
    // The examples are commands, the same in every language.
    switch (command) {
        case Command::Check: return Words(language, "help.check");
        case Command::Show: return Words(language, "help.show");
        case Command::Keys: return Words(language, "help.keys");
        case Command::Set:
            return Compose(language, "help.set", "",
                           "  kiobind set KB_Run LControl\n  kiobind set pad_run 0x2 input.ini\n");
        case Command::Unset: return Compose(language, "help.unset", "", "  kiobind unset KB_Run\n");
        case Command::Fix:
            return Compose(language, "help.fix", Words(language, "help.fix.dry-run"),
                           "  kiobind fix --dry-run\n  kiobind fix input.ini\n");
        case Command::Overview: break;
    }
    return Words(language, "help.overview");
}

}  // namespace kio::kiobind
