#include "test_files.h"

#include <algorithm>
#include <cstring>

namespace kio::binding::test {
namespace {

thread_local FakeFiles* current = nullptr;

ResultCode GetExecutablePath(PathBuffer& path) {
    path = PathBuffer{};
    if (Failed(current->executablePathFailure)) {
        return current->executablePathFailure;
    }
    if (current->executablePath.size() >= path.bytes.size()) {
        return kPathTooLong;
    }
    std::memcpy(path.bytes.data(), current->executablePath.data(), current->executablePath.size());
    path.length = current->executablePath.size();
    return kOk;
}

ResultCode Open(const char* path, FileHandle& handle) {
    current->openedPath.assign(path);
    auto it = current->files.find(std::string_view(path));
    if (it == current->files.end()) {
        return ResultFromWin32(win32_error::kFileNotFound);
    }
    ++current->opens;
    handle = reinterpret_cast<FileHandle>(&it->second);
    return kOk;
}

// NOLINTBEGIN(performance-no-int-to-ptr): the fake handle is the file's own address.
const std::string& Contents(FileHandle handle) {
    return *reinterpret_cast<const std::string*>(handle);
}
// NOLINTEND(performance-no-int-to-ptr)

ResultCode Size(FileHandle handle, uint64_t& size) {
    if (Failed(current->sizeFailure)) {
        return current->sizeFailure;
    }
    size = current->reportedSize.value_or(Contents(handle).size());
    return kOk;
}

ResultCode Read(FileHandle handle, char* buffer, uint32_t size, uint32_t& bytesRead) {
    ++current->reads;
    if (Failed(current->readFailure)) {
        return current->readFailure;
    }
    const std::string& contents = Contents(handle);
    bytesRead = std::min<uint32_t>(size, static_cast<uint32_t>(contents.size()));
    bytesRead -= std::min(bytesRead, current->bytesWithheld);
    std::memcpy(buffer, contents.data(), bytesRead);
    return kOk;
}

void Close(FileHandle) { ++current->closes; }

constexpr FileSystem kFakeFileSystem = {GetExecutablePath, Open, Size, Read, Close};

}  // namespace

FakeFileSystem::FakeFileSystem(FakeFiles& fake) : previous_(current) { current = &fake; }
FakeFileSystem::~FakeFileSystem() { current = previous_; }
const FileSystem& FakeFileSystem::Get() const { return kFakeFileSystem; }

const char* const kTableOrder[27] = {
    "MoveForward", "MoveBackward", "MoveLeft",  "MoveRight", "TurnRight", "TurnLeft",
    "Up",          "Down",         "Left",      "Right",     "Enter",     "Action",
    "Cancel",      "SkipDemo",     "Pause",     "Pose",      "Evade",     "RearCamera",
    "Run",         "ScrapBook",    "Map",       "Item",      "Iteminfo",  "CameraLeft",
    "CameraRight", "CameraUp",     "CameraDown"};

}  // namespace kio::binding::test
