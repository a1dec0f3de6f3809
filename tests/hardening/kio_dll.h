// kio.dll as a game meets it: loaded by path from a directory other than the
// game's, with "input.ini" beside the game's executable (this test's own).
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kio::binding::test {

using GetPamFunction = int32_t(__stdcall*)(int32_t* bindings, int32_t bindingCount,
                                           const char* const* actionNames);

// The loaded library, freed again when this object goes.
class KioDll {
public:
    explicit KioDll(const char* path);
    ~KioDll();
    KioDll(const KioDll&) = delete;
    KioDll& operator=(const KioDll&) = delete;

    bool Loaded() const { return module_ != nullptr && getPam_ != nullptr; }
    GetPamFunction GetPam() const { return getPam_; }

private:
    HMODULE module_ = nullptr;
    GetPamFunction getPam_ = nullptr;
};

// The path of the built kio.dll, given to the test as a host path, as Windows
// sees it (Wine shows the host's root as drive Z:).
std::string WindowsPathOf(std::string_view hostPath);

// The directory of this test's executable, where GetPAM looks for "input.ini".
std::filesystem::path ExecutableDirectory();

// Writes "input.ini" beside the executable; removes it when this object goes.
class BindingFileBesideExecutable {
public:
    explicit BindingFileBesideExecutable(std::string_view bytes);
    ~BindingFileBesideExecutable();
    BindingFileBesideExecutable(const BindingFileBesideExecutable&) = delete;
    BindingFileBesideExecutable& operator=(const BindingFileBesideExecutable&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace kio::binding::test
