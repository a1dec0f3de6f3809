#include <cstdlib>
#include <new>

#include "commands.h"
#include "result_meaning.h"
#include "words.h"

namespace kiobind {
namespace {

LanguageInputs InputsFor(const Arguments& arguments) {
    LanguageInputs inputs = SystemLanguageInputs();
    inputs.option = arguments.language;
    return inputs;
}

const kio::CodePage* ChosenCodePage(const Arguments& arguments, const LanguageInputs& inputs) {
    if (arguments.codePage) {
        return kio::FindBuiltInCodePage(*arguments.codePage);
    }
    if (const std::optional<uint32_t> id = LocaleCodePage(inputs)) {
        return kio::FindBuiltInCodePage(*id);
    }
    return &kio::ProcessCodePage();
}

int Run(const Arguments& arguments, const LanguageInputs& inputs, Language language,
        Output& output) {
    if (arguments.Wrong()) {
        output.err += "kiobind: " +
                      Words(language, "cli.usage-error",
                            {Verbatim("error", Render(arguments.error, language))}) +
                      "\n";
        return kExitUnreadable;
    }
    if (arguments.version) {
        output.out += VersionLine();
        return kExitClean;
    }
    if (arguments.help || arguments.command == Command::Overview) {
        output.out += HelpText(arguments.command, language);
        return kExitClean;
    }
    const kio::CodePage* codePage = ChosenCodePage(arguments, inputs);
    if (codePage == nullptr) {
        output.err += "kiobind: " +
                      Words(language, "cli.code-page-unknown",
                            {Verbatim("number", std::to_string(arguments.codePage.value_or(0)))}) +
                      "\n";
        return kExitUnreadable;
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
    Language language = Language::English;
    try {
        const Arguments arguments = ParseArguments(words);
        const LanguageInputs inputs = InputsFor(arguments);
        language = LanguageOrSystems(inputs);
        return Run(arguments, inputs, language, output);
    } catch (const std::bad_alloc&) {
        // Half a report would mislead; dropping it also gives its memory back
        // for the one line that says what happened.
        output = Output{};
        try {
            output.err = "kiobind: " +
                         Words(language, "cli.out-of-memory",
                               {Verbatim("result", DescribeResult(kio::kOutOfMemory, language))}) +
                         "\n";
        } catch (const std::bad_alloc&) {
        }
        return kExitUnreadable;
    }
}

}  // namespace kiobind
