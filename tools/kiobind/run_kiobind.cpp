#include <cstdlib>
#include <new>

#include "commands.h"
#include "result_meaning.h"
#include "words.h"

namespace kio::kiobind {
namespace {

LanguageInputs InputsFor(const Arguments& arguments) {
    LanguageInputs inputs = SystemLanguageInputs();
    inputs.option = arguments.language;
    return inputs;
}

const kio::binding::CodePage* ChosenCodePage(const Arguments& arguments,
                                             const LanguageInputs& inputs) {
    if (arguments.codePage) {
        return kio::binding::FindBuiltInCodePage(*arguments.codePage);
    }
    if (const std::optional<uint32_t> id = LocaleCodePage(inputs)) {
        return kio::binding::FindBuiltInCodePage(*id);
    }
    return &kio::binding::ProcessCodePage();
}

int Run(const Arguments& arguments, const LanguageInputs& inputs, messages::Language language,
        Output& output) {
    if (arguments.Wrong()) {
        output.err +=
            "kiobind: " +
            Words(language, "cli.usage-error",
                  {messages::Verbatim("error", messages::Render(arguments.error, language))}) +
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
    const kio::binding::CodePage* codePage = ChosenCodePage(arguments, inputs);
    if (codePage == nullptr) {
        output.err +=
            "kiobind: " +
            Words(language, "cli.code-page-unknown",
                  {messages::Verbatim("number", std::to_string(arguments.codePage.value_or(0)))}) +
            "\n";
        return kExitUnreadable;
    }
    const Context context{kio::binding::SystemFileSystem(), *codePage,
                          Style{WantColour(StdoutIsColourTerminal(), std::getenv("NO_COLOR"))},
                          kio::edit::SystemSaveSystem(), language};
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
    messages::Language language = messages::Language::English;
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
            output.err =
                "kiobind: " +
                Words(language, "cli.out-of-memory",
                      {messages::Verbatim("result",
                                          DescribeResult(kio::binding::kOutOfMemory, language))}) +
                "\n";
        } catch (const std::bad_alloc&) {
        }
        return kExitUnreadable;
    }
}

}  // namespace kio::kiobind
