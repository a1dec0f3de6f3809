#include "kio_dll.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace kio::binding::test {

KioDll::KioDll(const char* path) : module_(::LoadLibraryA(path)) {
    if (module_ != nullptr) {
        getPam_ = reinterpret_cast<GetPamFunction>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "GetPAM")));
    }
}

KioDll::~KioDll() {
    if (module_ != nullptr) {
        ::FreeLibrary(module_);
    }
}

std::string WindowsPathOf(std::string_view hostPath) {
    std::string path(hostPath);
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        c = (c == '/') ? '\\' : c;
    }
    return path;
}

std::filesystem::path ExecutableDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("cannot find the test executable's path");
    }
    return std::filesystem::path(path).parent_path();
}

BindingFileBesideExecutable::BindingFileBesideExecutable(std::string_view bytes)
    : path_(ExecutableDirectory() / "input.ini") {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path_.string());
    }
}

BindingFileBesideExecutable::~BindingFileBesideExecutable() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

}  // namespace kio::binding::test
