#include "arguments.h"

#include <charconv>

namespace kio::kiobind {
namespace {

std::optional<Command> CommandNamed(const std::string& word) {
    if (word == "check") return Command::Check;
    if (word == "show") return Command::Show;
    if (word == "keys") return Command::Keys;
    if (word == "set") return Command::Set;
    if (word == "unset") return Command::Unset;
    if (word == "fix") return Command::Fix;
    if (word == "help") return Command::Overview;
    return std::nullopt;
}

std::optional<uint32_t> ParseNumber(const std::string& text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
std::optional<std::string> OptionValue(const std::vector<std::string>& words, size_t& i,
                                       const std::string& name, Arguments& arguments) {
    const std::string& word = words[i];
    if (word.size() > name.size() && word.compare(0, name.size() + 1, name + "=") == 0) {
        return word.substr(name.size() + 1);
    }
    if (i + 1 >= words.size()) {
        arguments.error = {"cli.arg.needs-value", {messages::Verbatim("option", name)}};
        return std::nullopt;
    }
    return words[++i];
}

bool IsOption(const std::string& word, const std::string& name) {
    return word == name || word.compare(0, name.size() + 1, name + "=") == 0;
}

// The words a command takes before its optional file: set BINDING VALUE, unset BINDING.
size_t LeadingWords(Command command) {
    return command == Command::Set ? 2 : command == Command::Unset ? 1 : 0;
}

bool TakesFile(Command command) { return command != Command::Keys && command != Command::Overview; }

void TakePositional(const std::string& word, size_t& taken, bool& haveFile, Arguments& arguments) {
    const size_t leading = LeadingWords(arguments.command);
    if (taken < leading) {
        (taken == 0 ? arguments.binding : arguments.value) = word;
        ++taken;
        return;
    }
    if (!TakesFile(arguments.command)) {
        arguments.error = {"cli.arg.unexpected", {messages::Verbatim("word", word)}};
        return;
    }
    if (haveFile) {
        arguments.error = {"cli.arg.one-file", {}};
    }
    arguments.file = word;
    haveFile = true;
}

// --lang belongs to no command: it is taken out wherever it stands before "--";
// after "--" every word is a file name.
std::vector<std::string> TakeLanguage(const std::vector<std::string>& words, Arguments& arguments) {
    std::vector<std::string> rest;
    rest.reserve(words.size());
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        optionsEnded = optionsEnded || words[i] == "--";
        if (!optionsEnded && IsOption(words[i], "--lang")) {
            if (std::optional<std::string> value = OptionValue(words, i, "--lang", arguments)) {
                arguments.language = *value;
                if (*value != "en" && *value != "ja") {
                    arguments.error = {"cli.arg.lang", {messages::Verbatim("value", *value)}};
                }
            }
        } else {
            rest.push_back(words[i]);
        }
    }
    return rest;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& allWords) {
    Arguments arguments;
    const std::vector<std::string> words = TakeLanguage(allWords, arguments);
    if (arguments.Wrong()) {
        return arguments;
    }
    if (words.empty()) {
        arguments.help = true;
        return arguments;
    }
    if (words[0] == "--version") {
        arguments.version = true;
        if (words.size() > 1) {
            arguments.error = {"cli.arg.unexpected", {messages::Verbatim("word", words[1])}};
        }
        return arguments;
    }
    size_t i = 0;
    if (const std::optional<Command> command = CommandNamed(words[0])) {
        arguments.command = *command;
        arguments.help = words[0] == "help";
        ++i;
    } else if (words[0] != "--help" && words[0] != "-h") {
        arguments.error = {"cli.arg.unknown-command", {messages::Verbatim("word", words[0])}};
        return arguments;
    }
    bool haveFile = false;
    size_t taken = 0;
    bool optionsEnded = false;
    bool formatGiven = false;
    for (; i < words.size() && !arguments.Wrong(); ++i) {
        const std::string& word = words[i];
        // NOLINTNEXTLINE(bugprone-branch-clone): after "--", an option's name is a file too.
        if (optionsEnded) {
            TakePositional(word, taken, haveFile, arguments);  // "--" ends the options
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            arguments.help = true;
        } else if (arguments.command == Command::Overview && arguments.help && CommandNamed(word)) {
            arguments.command = *CommandNamed(word);  // "kiobind help check"
        } else if (arguments.command == Command::Show && IsOption(word, "--order")) {
            if (std::optional<std::string> value = OptionValue(words, i, "--order", arguments)) {
                arguments.orderFile = *value;
            }
        } else if ((arguments.command == Command::Check || arguments.command == Command::Show) &&
                   IsOption(word, "--format")) {
            if (std::optional<std::string> value = OptionValue(words, i, "--format", arguments)) {
                arguments.json = *value == "json";
                formatGiven = true;
                if (*value != "json" && *value != "text") {
                    arguments.error = {"cli.arg.format", {messages::Verbatim("value", *value)}};
                }
            }
        } else if (arguments.command == Command::Show && word == "--raw") {
            arguments.raw = true;
        } else if (arguments.command == Command::Fix && word == "--dry-run") {
            arguments.dryRun = true;
        } else if (TakesFile(arguments.command) && IsOption(word, "--code-page")) {
            if (std::optional<std::string> value =
                    OptionValue(words, i, "--code-page", arguments)) {
                arguments.codePage = ParseNumber(*value);
                if (!arguments.codePage) {
                    arguments.error = {"cli.arg.code-page-number",
                                       {messages::Verbatim("value", *value)}};
                }
            }
        } else if (word.size() > 1 && word[0] == '-') {
            arguments.error = {"cli.arg.unknown-option", {messages::Verbatim("word", word)}};
        } else {
            TakePositional(word, taken, haveFile, arguments);
        }
    }
    // The help shows them as alternatives: the raw values have one form only.
    if (!arguments.Wrong() && arguments.raw && formatGiven) {
        arguments.error = {"cli.arg.raw-format", {}};
    }
    if (!arguments.Wrong() && !arguments.help && taken < LeadingWords(arguments.command)) {
        arguments.error = {
            arguments.command == Command::Set ? "cli.arg.set-needs" : "cli.arg.unset-needs", {}};
    }
    return arguments;
}

}  // namespace kio::kiobind
