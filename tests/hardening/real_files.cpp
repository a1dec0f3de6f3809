#include "real_files.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace kio::binding::test {
namespace {

thread_local RedirectedFiles* current = nullptr;

ResultCode GetExecutablePath(PathBuffer& path) {
    path = PathBuffer{};
    const std::string& executable = current->executablePath;
    if (executable.size() >= path.bytes.size()) {
        return kPathTooLong;
    }
    std::memcpy(path.bytes.data(), executable.data(), executable.size());
    path.length = executable.size();
    return kOk;
}

ResultCode Open(const char* path, FileHandle& handle) {
    const ResultCode result = SystemFileSystem().openForReading(path, handle);
    current->opens += Failed(result) ? 0 : 1;
    return result;
}

ResultCode Size(FileHandle handle, uint64_t& size) {
    return SystemFileSystem().getSize(handle, size);
}

ResultCode Read(FileHandle handle, char* buffer, uint32_t size, uint32_t& bytesRead) {
    ++current->reads;
    return SystemFileSystem().read(handle, buffer, size, bytesRead);
}

void Close(FileHandle handle) {
    ++current->closes;
    SystemFileSystem().close(handle);
}

constexpr FileSystem kRedirectedFileSystem = {GetExecutablePath, Open, Size, Read, Close};

}  // namespace

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kio-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

RedirectedFileSystem::RedirectedFileSystem(RedirectedFiles& files) : previous_(current) {
    current = &files;
}
RedirectedFileSystem::~RedirectedFileSystem() { current = previous_; }
const FileSystem& RedirectedFileSystem::Get() const { return kRedirectedFileSystem; }

BindingFileBesideExecutable::BindingFileBesideExecutable(std::string_view bytes)
    : path_(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "input.ini") {
    WriteFile(path_, bytes);
}

BindingFileBesideExecutable::~BindingFileBesideExecutable() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

}  // namespace kio::binding::test
