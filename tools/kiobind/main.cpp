// kiobind: tells players what the game will do with their input.ini, using the
// loader's own code so that it can never disagree with the library.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"

namespace {

void Write(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int Run(const kiobind::Arguments& arguments, kiobind::Output& output) {
    using namespace kiobind;
    if (!arguments.error.empty()) {
        output.err += "kiobind: " + arguments.error + "; see kiobind --help\n";
        return kExitUnreadable;
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
                          kioedit::SystemSaveSystem()};
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

int main(int argc, char** argv) {
    kiobind::Output output;
    int status = kiobind::kExitUnreadable;
    try {
        const std::vector<std::string> words(argv + 1, argv + argc);
        status = Run(kiobind::ParseArguments(words), output);
    } catch (const std::exception& error) {
        output.err += std::string("kiobind: ") + error.what() + "\n";
        status = kiobind::kExitUnreadable;
    }
    Write(stdout, output.out);
    Write(stderr, output.err);
    return status;
}
