// kiobind: tells players what the game will do with their input.ini, using the
// loader's own code so that it can never disagree with the library.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"

namespace {

// False when the stream took less than all of `text`, or could not flush it.
bool Write(std::FILE* stream, const std::string& text) {
    const size_t written = std::fwrite(text.data(), 1, text.size(), stream);
    return std::fflush(stream) == 0 && written == text.size() && std::ferror(stream) == 0;
}

}  // namespace

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
    // A report that never arrived must not pass for one that did.
    errno = 0;
    if (!Write(stdout, output.out)) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "the output is closed";
        output.err += "kiobind: error: cannot write the output (" + reason + ")\n";
        status = kiobind::kExitUnreadable;
    }
    if (!Write(stderr, output.err)) {
        status = kiobind::kExitUnreadable;
    }
    return status;
}
