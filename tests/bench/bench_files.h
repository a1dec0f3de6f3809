// Binding files for the native benchmarks, written where the code under test
// looks for them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "binding_text.h"

namespace kio::binding::bench {

// A fresh temporary directory holding one "input.ini"; removed with the object.
class BindingDirectory {
public:
    explicit BindingDirectory(std::string_view fileText);
    ~BindingDirectory();
    BindingDirectory(const BindingDirectory&) = delete;
    BindingDirectory& operator=(const BindingDirectory&) = delete;

    const std::string& FilePath() const { return filePath_; }
    size_t FileSize() const { return fileSize_; }

private:
    std::string directory_;
    std::string filePath_;
    size_t fileSize_ = 0;
};

// "input.ini" beside this program, where the exported GetPAM looks, as a game's
// file lies beside the game; removed with the object. (So one benchmark program
// runs at a time from one build tree.)
class BindingFileBesideProgram {
public:
    explicit BindingFileBesideProgram(std::string_view fileText);
    ~BindingFileBesideProgram();
    BindingFileBesideProgram(const BindingFileBesideProgram&) = delete;
    BindingFileBesideProgram& operator=(const BindingFileBesideProgram&) = delete;

    const std::string& FilePath() const { return filePath_; }
    size_t FileSize() const { return fileSize_; }

private:
    std::string filePath_;
    size_t fileSize_ = 0;
};

}  // namespace kio::binding::bench
