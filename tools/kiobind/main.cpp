// kiobind: tells players what the game will do with their input.ini, using the
// loader's own code so that it can never disagree with the library.
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
    kiobind::Output output;
    int status = kiobind::kExitUnreadable;
    try {
        const std::vector<std::string> words(argv + 1, argv + argc);
        status = kiobind::RunKiobind(words, output);
    } catch (const std::exception& error) {
        output.err += std::string("kiobind: ") + error.what() + "\n";
        status = kiobind::kExitUnreadable;
    }
    const bool outWritten = kiobind::WriteStandard(kiobind::StandardStream::Output, output.out);
    const bool errWritten = kiobind::WriteStandard(kiobind::StandardStream::Error, output.err);
    if (!outWritten) {
        // A report that did not arrive in full must not pass for a clean one.
        kiobind::WriteStandard(kiobind::StandardStream::Error,
                               "kiobind: error: cannot write to standard output\n");
        return kiobind::kExitUnreadable;
    }
    return errWritten ? status : kiobind::kExitUnreadable;
}
