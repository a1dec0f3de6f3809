#include "binding_file.h"

#include <cstring>
#include <new>

#include "byte_search.h"

namespace kio::binding {
namespace {

// Windows cannot hold a file of 2^31 bytes or more in one buffer for one read.
constexpr uint64_t kMaxFileSize = 0x7FFFFFFF;

// Closes the file on every way out of the reader.
class OpenFile {
public:
    OpenFile(const FileSystem& fileSystem, FileHandle handle)
        : fileSystem_(fileSystem), handle_(handle) {}
    ~OpenFile() { fileSystem_.close(handle_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    FileHandle Handle() const { return handle_; }

private:
    const FileSystem& fileSystem_;
    FileHandle handle_;
};

}  // namespace

ResultCode BuildBindingFilePath(std::string_view executablePath, const CodePage& codePage,
                                PathBuffer& path) {
    path = PathBuffer{};
    size_t searchStart = 0;
    if (executablePath.size() >= 2 && executablePath[1] == ':') {
        searchStart = 2;
    }
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    size_t directoryEnd = searchStart;
    if (codePage.hasLeadBytes) {
        // The second byte of a character may be a "\\": step by characters.
        for (size_t i = searchStart; i < executablePath.size();
             i += codePage.CharacterLength(executablePath, i)) {
            directoryEnd = isSeparator(executablePath[i]) ? i + 1 : directoryEnd;
        }
    } else {
        // Every byte is a character: the last separator is found from the end.
        for (size_t i = executablePath.size(); i > searchStart; --i) {
            if (isSeparator(executablePath[i - 1])) {
                directoryEnd = i;
                break;
            }
        }
    }
    // A path that does not fit the buffer would be cut, and a cut path names
    // another file: refuse it rather than open the wrong one. A directory part of
    // 251 bytes or more leaves no room for "input.ini" and the terminator.
    if (directoryEnd + kBindingFileName.size() >= kMaxPath) {
        return kPathTooLong;
    }
    std::memcpy(path.bytes.data(), executablePath.data(), directoryEnd);
    std::memcpy(path.bytes.data() + directoryEnd, kBindingFileName.data(), kBindingFileName.size());
    path.length = directoryEnd + kBindingFileName.size();
    return kOk;
}

ResultCode ReadBindingFile(const FileSystem& fileSystem, const CodePage& codePage,
                           FileText& fileText) {
    fileText = FileText{};

    PathBuffer executablePath;
    if (ResultCode result = fileSystem.getHostExecutablePath(executablePath); Failed(result)) {
        return result;
    }
    PathBuffer bindingFilePath;
    if (ResultCode result = BuildBindingFilePath(executablePath.View(), codePage, bindingFilePath);
        Failed(result)) {
        return result;
    }
    return ReadBindingFileAt(fileSystem, bindingFilePath.CString(), fileText);
}

ResultCode ReadBindingFileAt(const FileSystem& fileSystem, const char* path, FileText& fileText) {
    fileText = FileText{};

    const bool sizedOpen = fileSystem.openForReadingWithSize != nullptr;
    FileHandle handle = 0;
    uint64_t size = 0;
    if (ResultCode result = sizedOpen ? fileSystem.openForReadingWithSize(path, handle, size)
                                      : fileSystem.openForReading(path, handle);
        Failed(result)) {
        return result;
    }
    const OpenFile file(fileSystem, handle);

    if (!sizedOpen) {
        if (ResultCode result = fileSystem.getSize(file.Handle(), size); Failed(result)) {
            return result;
        }
    }
    // The full 64-bit size counts: a 4 GiB + 10-byte file is refused, not read as 10 bytes.
    if (size > kMaxFileSize) {
        return kInvalidArgument;
    }

    const auto byteCount = static_cast<uint32_t>(size);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size_t{byteCount} + 1]);
    if (!buffer) {
        return kOutOfMemory;
    }
    uint32_t bytesRead = 0;
    if (ResultCode result = fileSystem.read(file.Handle(), buffer.get(), byteCount, bytesRead);
        Failed(result)) {
        return result;
    }
    if (bytesRead < byteCount) {
        return kShortRead;
    }
    buffer[byteCount] = '\0';

    fileText.bytes = std::string_view(buffer.get(), byteCount);
    fileText.text = std::string_view(buffer.get(), FindNul(buffer.get(), byteCount));
    fileText.buffer = std::move(buffer);
    return kOk;
}

}  // namespace kio::binding
