// Saving a new version of a file without ever losing the old one: the new
// bytes go to a temporary file beside it, flushed to disk; the old version is
// kept as FILE.bak; and the file is replaced in one step, only if no other
// program has opened it for writing since it was read, and it is still the
// file that was read, unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "message.h"

namespace kio::edit {

using SaveHandle = intptr_t;

struct FileFacts {
    std::string target;  // the file to replace: where a symbolic link leads, else the path
    uint32_t mode = 0;   // POSIX permission bits, given to the new file
    uint32_t owner = 0;
    uint32_t group = 0;
    bool readOnly = false;
    bool regular = true;  // a plain file: a FIFO or a device is never opened to be edited
    uint64_t links = 1;   // how many names the file has (hard links)
};

// Which file a name or a handle leads to, and when it last changed: another
// program's save shows in one of these even where it leaves the same bytes.
struct FileStamp {
    uint64_t device = 0;
    uint64_t file = 0;  // inode, or the file index on Windows
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds since 1970
    int64_t changed = 0;   // the status change time (Windows: ChangeTime), nanoseconds

    bool operator==(const FileStamp&) const = default;
    bool SameFile(const FileStamp& other) const {
        return device == other.device && file == other.file;
    }
};

// What the system says when a file is opened to be held.
enum class HoldState {
    // Open, and the system reports any other program that opens it for writing
    // from now on (a read lease on Linux; on Windows nobody else may).
    Guarded,
    // Open, but the system cannot report writers here (a file of another user,
    // a network file system): changes are found by comparing alone.
    Unguarded,
    // Not open: another program has it open for writing right now.
    Busy,
};

// The operating system's part of saving, one function per step, so that tests
// can make any step fail or let another program write in between. Each returns
// an empty string on success, else what went wrong in the system's words.
struct SaveSystem {
    std::function<std::string(const std::string& path, FileFacts& facts)> inspect;
    // Opens a regular file for reading without ever blocking, and asks the
    // system to report other writers (see HoldState).
    std::function<std::string(const std::string& path, SaveHandle& handle, HoldState& state)> hold;
    // True once another program has opened the held file for writing or
    // truncated it. The system has then been given the file back already, so
    // that program waits for nothing.
    std::function<bool(SaveHandle handle)> writerCame;
    std::function<std::string(SaveHandle handle, std::string& bytes)> readHeld;  // from the start
    std::function<std::string(const std::string& path, FileStamp& stamp)> stamp;
    std::function<std::string(SaveHandle handle, FileStamp& stamp)> stampHeld;
    std::function<int64_t()> now;                   // nanoseconds since 1970
    std::function<void(int64_t nanoseconds)> wait;  // only while another program writes
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
    // is then still there to be checked, and swapped back if it must stay.
    std::function<std::string(const std::string& from, const std::string& to, bool& supported)>
        exchange;
    std::function<void(const std::string& path)> remove;
    // The other names of the file `stamp` describes in the folder of `path`.
    std::function<std::vector<std::string>(const std::string& path, const FileStamp& stamp)>
        otherNames;
    // Windows replaces no file that is still open, even by the one replacing
    // it: the held file is closed after the last check, just before the replace.
    bool releaseBeforeReplace = false;
};

const SaveSystem& SystemSaveSystem();

// How long a file another program has open for writing is waited for, in case
// it is finishing its save, and how often it is asked for again meanwhile.
inline constexpr int64_t kBusyNanoseconds = 1'000'000'000;
inline constexpr int64_t kBusyPollNanoseconds = 50'000'000;
// Where the system reports no writers: how long the file must have stood
// unchanged before it is read, so that a save in progress (truncated, not yet
// written) is not taken for the file.
inline constexpr int64_t kSettleNanoseconds = 250'000'000;

// The file about to be edited: opened (see SaveSystem::hold), stamped and read
// through one handle, which stays open until the file is replaced.
class HeldFile {
public:
    HeldFile(const std::string& path, const SaveSystem& system);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    const std::string& Path() const { return path_; }
    const kio::messages::Message& Error() const { return error_; }  // no key when held and read
    const FileFacts& Facts() const { return facts_; }
    const FileStamp& Stamp() const { return stamp_; }
    const std::string& Bytes() const { return bytes_; }  // every byte, as read through the handle
    SaveHandle Handle() const { return handle_; }
    bool IsOpen() const { return open_; }
    bool IsGuarded() const { return guarded_; }
    void Release();

private:
    void Hold();

    const SaveSystem& system_;
    std::string path_;
    kio::messages::Message error_;
    FileFacts facts_;
    FileStamp stamp_;
    std::string bytes_;
    SaveHandle handle_ = 0;
    bool open_ = false;
    bool guarded_ = false;
};

struct SaveResult {
    bool saved = false;
    // Why not, naming the file; every such message says that nothing was written.
    kio::messages::Message error;
    // What the player should know about a save that went through: another
    // name of the file that keeps the old text, where the backup went.
    std::vector<kio::messages::Message> notes;
};

// Replaces the held file with `newBytes`. Nothing is replaced, FILE.bak
// included, unless every check passes: no other program opened the file for
// writing since it was held, and it is still the file held, with the same
// size and times, holding the bytes read. On any failure the file and FILE.bak
// are left as they were and no temporary file remains.
SaveResult SaveSafely(HeldFile& held, std::string_view newBytes, const SaveSystem& system);

// The same for a file held only from now on, which must still hold `readBytes`.
SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system);

}  // namespace kio::edit
