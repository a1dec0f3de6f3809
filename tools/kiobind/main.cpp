// kiobind: tells players what the game will do with their input.ini, using the
// loader's own code so that it can never disagree with the library.
#include <cerrno>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
    using kio::kiobind::StandardStream;
    kio::kiobind::Output output;
    int status = kio::kiobind::kExitUnreadable;
    try {
        const std::vector<std::string> words(argv + 1, argv + argc);
        status = kio::kiobind::RunKiobind(words, output);
    } catch (const std::exception& error) {
        output.err += std::string("kiobind: ") + error.what() + "\n";
        status = kio::kiobind::kExitUnreadable;
    }
    // A report that never arrived must not pass for one that did.
    errno = 0;
    if (!kio::kiobind::WriteStandard(StandardStream::Output, output.out)) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "the output is closed";
        output.err += "kiobind: error: cannot write the output (" + reason + ")\n";
        status = kio::kiobind::kExitUnreadable;
    }
    if (!kio::kiobind::WriteStandard(StandardStream::Error, output.err)) {
        status = kio::kiobind::kExitUnreadable;
    }
    return status;
}
