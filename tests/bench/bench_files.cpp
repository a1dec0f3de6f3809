#include "bench_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace kio::binding::bench {
namespace {

void WriteWholeFile(const std::string& path, std::string_view fileText) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file != nullptr &&
                         std::fwrite(fileText.data(), 1, fileText.size(), file) == fileText.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        ::unlink(path.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace

BindingDirectory::BindingDirectory(std::string_view fileText) {
    std::string pattern = "/tmp/kio-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    directory_ = pattern;
    filePath_ = directory_ + "/input.ini";
    try {
        WriteWholeFile(filePath_, fileText);
    } catch (...) {
        ::rmdir(directory_.c_str());
        throw;
    }
    fileSize_ = fileText.size();
}

BindingDirectory::~BindingDirectory() {
    ::unlink(filePath_.c_str());
    ::rmdir(directory_.c_str());
}

BindingFileBesideProgram::BindingFileBesideProgram(std::string_view fileText)
    : filePath_(
          (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "input.ini").string()),
      fileSize_(fileText.size()) {
    WriteWholeFile(filePath_, fileText);
}

BindingFileBesideProgram::~BindingFileBesideProgram() { ::unlink(filePath_.c_str()); }

}  // namespace kio::binding::bench
