#include "safe_save.h"

#include <exception>
#include <new>

namespace kioedit {
namespace {

// Enough names to step past leftovers of earlier runs.
constexpr int kTemporaryNames = 100;

constexpr std::string_view kNothingWritten = "; nothing written";

// A temporary file beside the target, closed and removed unless it was put
// in the target's place.
class TemporaryFile {
public:
    explicit TemporaryFile(const SaveSystem& system) : system_(system) {}
    ~TemporaryFile() {
        CloseQuietly();
        if (!path_.empty() && !moved_) {
            system_.remove(path_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::string Create(const std::string& target, const FileFacts& facts) {
        std::string error;
        for (int n = 1; n <= kTemporaryNames; ++n) {
            const std::string candidate = target + ".kiobind-" + std::to_string(n) + ".tmp";
            bool existed = false;
            error = system_.createExclusive(candidate, facts, handle_, existed);
            if (error.empty()) {
                path_ = candidate;
                open_ = true;
                return "";
            }
            if (!existed) {
                return error;
            }
        }
        return error;
    }

    // Writes, flushes and closes: the file is on the disk when this succeeds.
    std::string Fill(std::string_view bytes, std::string& step) {
        step = "write";
        if (std::string error = system_.write(handle_, bytes); !error.empty()) {
            return error;
        }
        step = "flush";
        if (std::string error = system_.flush(handle_); !error.empty()) {
            return error;
        }
        step = "close";
        open_ = false;
        return system_.close(handle_);
    }

    std::string MoveTo(const std::string& target) {
        std::string error = system_.replace(path_, target);
        moved_ = error.empty();
        return error;
    }

    const std::string& Path() const { return path_; }

private:
    void CloseQuietly() {
        if (open_) {
            open_ = false;
            system_.close(handle_);
        }
    }

    const SaveSystem& system_;
    std::string path_;
    SaveHandle handle_ = 0;
    bool open_ = false;
    bool moved_ = false;
};

SaveResult Failure(std::string error) {
    return SaveResult{false, std::move(error) + std::string(kNothingWritten)};
}

// Writes `bytes` to a new file that then takes the place of `target`.
std::string WriteInPlaceOf(const std::string& target, const FileFacts& facts,
                           std::string_view bytes, TemporaryFile& temporary) {
    if (std::string error = temporary.Create(target, facts); !error.empty()) {
        return "cannot create a temporary file beside " + target + " (" + error + ")";
    }
    std::string step;
    if (std::string error = temporary.Fill(bytes, step); !error.empty()) {
        return "cannot " + step + " the temporary file " + temporary.Path() + " (" + error + ")";
    }
    return "";
}

SaveResult Save(const std::string& path, std::string_view readBytes, std::string_view newBytes,
                const SaveSystem& system) {
    FileFacts facts;
    if (std::string error = system.inspect(path, facts); !error.empty()) {
        return Failure("cannot look at " + path + " (" + error + ")");
    }
    if (facts.readOnly) {
        return Failure(path + " is read-only");
    }
    TemporaryFile next(system);
    if (std::string error = WriteInPlaceOf(path, facts, newBytes, next); !error.empty()) {
        return Failure(error);
    }
    const std::string backupPath = path + ".bak";
    TemporaryFile backup(system);
    if (std::string error = WriteInPlaceOf(backupPath, facts, readBytes, backup);
        !error.empty()) {
        return Failure("cannot keep the previous version as " + backupPath + ": " + error);
    }
    if (std::string error = backup.MoveTo(backupPath); !error.empty()) {
        return Failure("cannot keep the previous version as " + backupPath + " (" + error + ")");
    }
    std::string current;
    if (std::string error = system.readAll(path, current); !error.empty()) {
        return Failure("cannot read " + path + " again before replacing it (" + error + ")");
    }
    if (current != readBytes) {
        return Failure(path + " changed while kiobind was editing it");
    }
    if (std::string error = next.MoveTo(path); !error.empty()) {
        return Failure("cannot replace " + path + " with the new version (" + error + ")");
    }
    return SaveResult{true, ""};
}

}  // namespace

SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system) {
    try {
        return Save(path, readBytes, newBytes, system);
    } catch (const std::bad_alloc&) {
        return SaveResult{false, "out of memory while saving " + path + "; nothing written"};
    }
}

}  // namespace kioedit
