// Saving a new version of a file without ever losing the old one: the new
// bytes go to a temporary file beside it, flushed to disk; the old version is
// kept as FILE.bak; and the file is replaced in one step, only if it still
// holds the bytes that were read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kioedit {

using SaveHandle = intptr_t;

struct FileFacts {
    uint32_t mode = 0;  // POSIX permission bits, given to the new file
    uint32_t owner = 0;
    uint32_t group = 0;
    bool readOnly = false;
};

// The operating system's part of saving, one function per step, so that tests
// can make any step fail. Each returns an empty string on success, else what
// went wrong in the system's words.
struct SaveSystem {
    std::function<std::string(const std::string& path, FileFacts& facts)> inspect;
    // Creates `path` only if nothing has that name (`existed` tells that case),
    // with the permissions and owner of `like` where the system allows.
    std::function<std::string(const std::string& path, const FileFacts& like, SaveHandle& handle,
                              bool& existed)>
        createExclusive;
    std::function<std::string(SaveHandle handle, std::string_view bytes)> write;
    std::function<std::string(SaveHandle handle)> flush;  // to the disk, not just the system
    std::function<std::string(SaveHandle handle)> close;
    std::function<std::string(const std::string& path, std::string& bytes)> readAll;
    // Puts `from` in the place of `to` in one step, durably.
    std::function<std::string(const std::string& from, const std::string& to)> replace;
    std::function<void(const std::string& path)> remove;
};

const SaveSystem& SystemSaveSystem();

struct SaveResult {
    bool saved = false;
    std::string error;  // a sentence naming the file, ending "nothing written"
};

// Replaces the file at `path`, which held `readBytes` when it was read, with
// `newBytes`. On any failure the file is left as it was and no temporary file
// remains.
SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system);

}  // namespace kioedit
