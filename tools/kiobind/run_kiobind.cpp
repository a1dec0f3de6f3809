#include <cstdlib>
#include <new>

#include "commands.h"
#include "result_meaning.h"

namespace kiobind {
namespace {

Language LanguageFor(const Arguments& arguments) {
    LanguageInputs inputs = SystemLanguageInputs();
    inputs.option = arguments.language;
    return ChooseLanguage(inputs).value_or(Language::English);
}

int Run(const Arguments& arguments, Output& output) {
    const Language language = LanguageFor(arguments);
    if (!arguments.error.empty()) {
        output.err += "kiobind: " + arguments.error + "; see kiobind --help\n";
        return kExitUnreadable;
    }
    if (arguments.version) {
        output.out += VersionLine();
        return kExitClean;
    }
    if (arguments.help || arguments.command == Command::Overview) {
        output.out += HelpText(arguments.command);
        return kExitClean;
    }
    const kio::CodePage* codePage = &kio::ProcessCodePage();
    if (arguments.codePage) {
        codePage = kio::FindBuiltInCodePage(*arguments.codePage);
        if (codePage == nullptr) {
            output.err += "kiobind: code page " + std::to_string(*arguments.codePage) +
                          " is not one of 1252, 932, 936, 949, 950\n";
            return kExitUnreadable;
        }
    }
    const Context context{kio::SystemFileSystem(), *codePage,
                          Style{WantColour(StdoutIsColourTerminal(), std::getenv("NO_COLOR"))},
                          kioedit::SystemSaveSystem(), language};
    switch (arguments.command) {
        case Command::Check: return RunCheck(arguments, context, output);
        case Command::Show: return RunShow(arguments, context, output);
        case Command::Keys: return RunKeys(context, output);
        case Command::Set: return RunSet(arguments, context, output);
        case Command::Unset: return RunUnset(arguments, context, output);
        case Command::Fix: return RunFix(arguments, context, output);
        case Command::Overview: break;
    }
    return kExitClean;
}

}  // namespace

int RunKiobind(const std::vector<std::string>& words, Output& output) {
    try {
        return Run(ParseArguments(words), output);
    } catch (const std::bad_alloc&) {
        // Half a report would mislead; dropping it also gives its memory back
        // for the one line that says what happened.
        output = Output{};
        try {
            output.err = "kiobind: error: " + DescribeResult(kio::kOutOfMemory) +
                         ", as GetPAM would report it\n";
        } catch (const std::bad_alloc&) {
        }
        return kExitUnreadable;
    }
}

}  // namespace kiobind
