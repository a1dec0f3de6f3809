#include "file_bytes.h"

namespace kiobind {
namespace {

// The loader refuses files it cannot hold in one buffer for one read.
constexpr uint64_t kMaxFileSize = 0x7FFFFFFF;

class OpenFile {
public:
    OpenFile(const kio::FileSystem& fileSystem, kio::FileHandle handle)
        : fileSystem_(fileSystem), handle_(handle) {}
    ~OpenFile() { fileSystem_.close(handle_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    kio::FileHandle Handle() const { return handle_; }

private:
    const kio::FileSystem& fileSystem_;
    kio::FileHandle handle_;
};

}  // namespace

kio::ResultCode ReadFileBytes(const kio::FileSystem& fileSystem, const std::string& path,
                              std::string& bytes) {
    bytes.clear();
    kio::FileHandle handle = 0;
    if (kio::ResultCode result = fileSystem.openForReading(path.c_str(), handle);
        kio::Failed(result)) {
        return result;
    }
    const OpenFile file(fileSystem, handle);

    uint64_t size = 0;
    if (kio::ResultCode result = fileSystem.getSize(file.Handle(), size); kio::Failed(result)) {
        return result;
    }
    if (size > kMaxFileSize) {
        return kio::kInvalidArgument;
    }
    std::string buffer(static_cast<size_t>(size), '\0');
    uint32_t bytesRead = 0;
    if (kio::ResultCode result =
            fileSystem.read(file.Handle(), buffer.data(), static_cast<uint32_t>(size), bytesRead);
        kio::Failed(result)) {
        return result;
    }
    if (bytesRead < size) {
        return kio::kShortRead;
    }
    bytes = std::move(buffer);
    return kio::kOk;
}

}  // namespace kiobind
