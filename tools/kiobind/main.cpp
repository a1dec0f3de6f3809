// kiobind: tells players what the game will do with their input.ini, using the
// loader's own code so that it can never disagree with the library.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"

namespace {

void Write(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
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
    Write(stdout, output.out);
    Write(stderr, output.err);
    return status;
}
