// Saving a new version of a file without ever losing the old one: the new
// bytes go to a temporary file beside it, flushed to disk; the old version is
// kept as FILE.bak; and the file is replaced in one step, only if it is still
// the file that was read, unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "message.h"

namespace kioedit {

using SaveHandle = intptr_t;

struct FileFacts {
    std::string target;  // the file to replace: where a symbolic link leads, else the path
    uint32_t mode = 0;   // POSIX permission bits, given to the new file
    uint32_t owner = 0;
    uint32_t group = 0;
    bool readOnly = false;
};

// Which file a name leads to, and when it last changed: another program's
// save shows in one of these even where it leaves the same bytes.
struct FileStamp {
    uint64_t device = 0;
    uint64_t file = 0;     // inode, or the file index on Windows
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds since 1970
    int64_t changed = 0;   // the status change time (Windows: ChangeTime), nanoseconds

    bool operator==(const FileStamp&) const = default;
};

// The operating system's part of saving, one function per step, so that tests
// can make any step fail or let another program write in between. Each returns
// an empty string on success, else what went wrong in the system's words.
struct SaveSystem {
    std::function<std::string(const std::string& path, FileFacts& facts)> inspect;
    // Opens the file to read it again later. On Windows no other program may
    // open it for writing while the handle is open; on POSIX nothing can
    // forbid that, and the checks below find what was written.
    std::function<std::string(const std::string& path, SaveHandle& handle)> hold;
    std::function<std::string(SaveHandle handle, std::string& bytes)> readHeld;  // from the start
    std::function<std::string(const std::string& path, FileStamp& stamp)> stamp;
    std::function<std::string(SaveHandle handle, FileStamp& stamp)> stampHeld;
    std::function<int64_t()> now;  // nanoseconds since 1970
    // Creates `path` only if nothing has that name (`existed` tells that case),
    // with the permissions and owner of `like` where the system allows.
    std::function<std::string(const std::string& path, const FileFacts& like, SaveHandle& handle,
                              bool& existed)>
        createExclusive;
    std::function<std::string(SaveHandle handle, std::string_view bytes)> write;
    std::function<std::string(SaveHandle handle)> flush;  // to the disk, not just the system
    std::function<std::string(SaveHandle handle)> close;
    // Puts `from` in the place of `to` in one step, durably.
    std::function<std::string(const std::string& from, const std::string& to)> replace;
    // Swaps the files named `from` and `to` in one step, durably, where the
    // system can (Linux); `supported` false where it cannot. The file replaced
    // is then still there to be checked, and put back if it is not the one held.
    std::function<std::string(const std::string& from, const std::string& to, bool& supported)>
        exchange;
    std::function<void(const std::string& path)> remove;
    // Windows replaces no file that is still open, even by the one replacing
    // it: the held file is closed after the last check, just before the replace.
    bool releaseBeforeReplace = false;
};

const SaveSystem& SystemSaveSystem();

// A file that changed this recently may be in the middle of another program's
// save (truncated, not yet written): it is not edited.
inline constexpr int64_t kSettleNanoseconds = 2'000'000'000;

// The file about to be edited, open from before it is read until it is
// replaced (see SaveSystem::hold), with its stamp at that moment.
class HeldFile {
public:
    HeldFile(const std::string& path, const SaveSystem& system);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    const std::string& Path() const { return path_; }
    const kiobind::Message& Error() const { return error_; }  // no key when held
    const FileFacts& Facts() const { return facts_; }
    const FileStamp& Stamp() const { return stamp_; }
    SaveHandle Handle() const { return handle_; }
    int64_t HeldAt() const { return heldAt_; }
    bool IsOpen() const { return open_; }
    void Release();

private:
    const SaveSystem& system_;
    std::string path_;
    kiobind::Message error_;
    FileFacts facts_;
    FileStamp stamp_;
    SaveHandle handle_ = 0;
    bool open_ = false;
    int64_t heldAt_ = 0;
};

struct SaveResult {
    bool saved = false;
    // Why not, naming the file; every such message says that nothing was written.
    kiobind::Message error;
};

// Replaces the held file, which held `readBytes` when it was read, with
// `newBytes`. Nothing is replaced, FILE.bak included, until every check has
// passed: the file is the one held, with the same size and times, and holds
// `readBytes`; it did not change within kSettleNanoseconds before it was held.
// On any failure the file is left as it was and no temporary file remains.
SaveResult SaveSafely(HeldFile& held, std::string_view readBytes, std::string_view newBytes,
                      const SaveSystem& system);

// The same for a file held only from now on.
SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system);

}  // namespace kioedit
