#include "bench_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "vocabulary.h"

namespace kio::bench {
namespace {

// FileSystem services are plain function pointers, so the directory they report
// travels through the thread that set it.
thread_local const PathBuffer* currentHostPath = nullptr;

ResultCode GetHostPathInDirectory(PathBuffer& path) {
    path = *currentHostPath;
    return kOk;
}

constexpr std::array<std::string_view, kActionCount> kKeyboardValues = {
    "w",      "s",     "a",     "d",    "e",        "q",       "up",      "down",   "left",
    "right",  "return", "space", "escape", "back",   "p",       "f",       "lshift", "r",
    "lcontrol", "tab", "m",     "i",    "o",        "numpad4", "numpad6", "numpad8", "numpad2"};

constexpr std::string_view kLineEnd = "\r\n";

std::string BindingLine(int entry) {
    const int action = entry / 2;
    std::string line(BindingName(entry));
    line += '=';
    if (entry % 2 == 0) {
        line += kKeyboardValues[action];
    } else {
        char value[16];
        std::snprintf(value, sizeof value, "0x%08X", 0x100u + static_cast<unsigned>(action));
        line += value;
    }
    return line;
}

// The 60 lines of a typical file, without line ends.
std::array<std::string, 60> TypicalLines() {
    std::array<std::string, 60> lines;
    size_t next = 0;
    lines[next++] = "; input.ini - key and pad bindings of the game";
    lines[next++] = "; written by the options screen";
    lines[next++] = "[Keyboard]";
    for (int action = 0; action < kActionCount; ++action) {
        lines[next++] = BindingLine(2 * action);
    }
    lines[next++] = "";
    lines[next++] = "[Pad]";
    for (int action = 0; action < kActionCount; ++action) {
        lines[next++] = BindingLine(2 * action + 1);
    }
    lines[next++] = "";
    return lines;
}

}  // namespace

std::string MakeBindingFile(size_t lineCount) {
    const std::array<std::string, 60> lines = TypicalLines();
    std::string text;
    for (size_t i = 0; i < lineCount; ++i) {
        text += lines[i % lines.size()];
        text += kLineEnd;
    }
    return text;
}

std::string MakeBindingLines(size_t byteCount) {
    std::string block;
    for (int entry = 0; entry < kBindingCount; ++entry) {
        block += BindingLine(entry);
        block += kLineEnd;
    }
    std::string text;
    text.reserve(byteCount + block.size());
    while (text.size() < byteCount) {
        text += block;
    }
    return text;
}

BindingDirectory::BindingDirectory(std::string_view fileText) {
    std::string pattern = "/tmp/kio-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    directory_ = pattern;
    filePath_ = directory_ + "/input.ini";
    std::FILE* file = std::fopen(filePath_.c_str(), "wb");
    const bool written = file != nullptr &&
                         std::fwrite(fileText.data(), 1, fileText.size(), file) == fileText.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        ::unlink(filePath_.c_str());
        ::rmdir(directory_.c_str());
        throw std::runtime_error("cannot write " + filePath_);
    }
    fileSize_ = fileText.size();

    const std::string host = directory_ + "/game";
    std::memcpy(hostPath_.bytes.data(), host.c_str(), host.size() + 1);
    hostPath_.length = host.size();
}

BindingDirectory::~BindingDirectory() {
    ::unlink(filePath_.c_str());
    ::rmdir(directory_.c_str());
}

HostInDirectory::HostInDirectory(const BindingDirectory& directory)
    : previous_(currentHostPath), fileSystem_(SystemFileSystem()) {
    currentHostPath = &directory.HostExecutablePath();
    fileSystem_.getHostExecutablePath = GetHostPathInDirectory;
}

HostInDirectory::~HostInDirectory() { currentHostPath = previous_; }

}  // namespace kio::bench
