// The command line: a subcommand, its file and its options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render.h"

namespace kio::kiobind {

enum class Command { Overview, Check, Show, Keys, Set, Unset, Fix };

struct Arguments {
    Command command = Command::Overview;
    bool help = false;
    bool version = false;  // --version: print the release's version
    std::string file = "input.ini";
    std::optional<std::string> orderFile;
    bool raw = false;     // show: one line of numbers for scripts
    bool json = false;    // check, show: --format json
    std::string binding;  // set, unset
    std::string value;    // set
    bool dryRun = false;  // fix: print the change, write nothing
    std::optional<uint32_t> codePage;
    std::string language;     // --lang: "en", "ja", or empty for the user's own language
    messages::Message error;  // what is wrong with the command line, when something is

    bool Wrong() const { return !error.key.empty(); }
};

Arguments ParseArguments(const std::vector<std::string>& words);

}  // namespace kio::kiobind
