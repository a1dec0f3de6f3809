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
    void Keep() { moved_ = true; }

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

// The held file, read again, must still be the one read: same file, size and
// times, same bytes.
std::string CheckUnchanged(const HeldFile& held, std::string_view readBytes,
                           const SaveSystem& system) {
    const std::string& path = held.Path();
    FileStamp now;
    if (std::string error = system.stamp(held.Facts().target, now); !error.empty()) {
        return "cannot look at " + path + " again before replacing it (" + error + ")";
    }
    std::string current;
    if (std::string error = system.readHeld(held.Handle(), current); !error.empty()) {
        return "cannot read " + path + " again before replacing it (" + error + ")";
    }
    if (now != held.Stamp() || current != readBytes) {
        return path + " changed while kiobind was editing it";
    }
    return "";
}

// After the replace: a program that wrote into the old file in the last moment
// wrote into a file no name leads to any more. Its text goes back in place.
std::string Reinstate(const HeldFile& held, const SaveSystem& system) {
    FileStamp after;
    const FileStamp& before = held.Stamp();
    if (!held.IsOpen() || !system.stampHeld(held.Handle(), after).empty() ||
        (after.size == before.size && after.modified == before.modified)) {
        return "";
    }
    const std::string& path = held.Path();
    const std::string wrote = "another program wrote " + path + " while kiobind replaced it";
    std::string theirs;
    if (std::string error = system.readHeld(held.Handle(), theirs); !error.empty()) {
        return wrote + ", and its text cannot be read back (" + error + ")";
    }
    TemporaryFile back(system);
    if (std::string error = WriteInPlaceOf(held.Facts().target, held.Facts(), theirs, back);
        !error.empty()) {
        return wrote + "; its text cannot be put back: " + error;
    }
    if (std::string error = back.MoveTo(held.Facts().target); !error.empty()) {
        back.Keep();
        return wrote + "; its text is kept in " + back.Path() + " (" + error + ")";
    }
    return wrote + "; its text is back in place and kiobind's change is not";
}

// Puts the new version in place of the held file. Where the system swaps
// files, the one swapped out must be the one held: a file another program put
// there in the last moment is swapped back, and stays.
std::string ReplaceHeld(const HeldFile& held, TemporaryFile& next, const SaveSystem& system) {
    const std::string& path = held.Path();
    const std::string& target = held.Facts().target;
    const std::string cannot = "cannot replace " + path + " with the new version (";
    bool supported = false;
    if (system.exchange) {
        if (std::string error = system.exchange(next.Path(), target, supported); !error.empty()) {
            return cannot + error + ")";
        }
    }
    if (!supported) {
        std::string error = next.MoveTo(target);
        return error.empty() ? "" : cannot + error + ")";
    }
    // `next` now names the file swapped out; it goes when `next` does.
    FileStamp out;
    const bool same = system.stamp(next.Path(), out).empty() &&
                      out.device == held.Stamp().device && out.file == held.Stamp().file;
    if (same) {
        return "";
    }
    const std::string replaced = "another program replaced " + path + " while kiobind was replacing it";
    if (std::string error = system.exchange(next.Path(), target, supported); !error.empty()) {
        next.Keep();
        return replaced + "; its version is kept as " + next.Path() + " (" + error + ")";
    }
    return replaced + "; its version stays in place";
}

SaveResult Save(HeldFile& held, std::string_view readBytes, std::string_view newBytes,
                const SaveSystem& system) {
    const std::string& path = held.Path();
    if (!held.Error().empty()) {
        return Failure(held.Error());
    }
    const FileFacts& facts = held.Facts();
    if (facts.readOnly) {
        return Failure(path + " is read-only");
    }
    // A save in progress elsewhere (truncated, not yet written) looks like a
    // file that just changed; so does one seconds from being written again.
    const int64_t age = held.HeldAt() - held.Stamp().modified;
    if (age > -kSettleNanoseconds && age < kSettleNanoseconds) {
        return Failure(path + " changed less than " +
                       std::to_string(kSettleNanoseconds / 1'000'000'000) +
                       " seconds ago, so another program may still be writing it; try again in "
                       "a moment");
    }
    if (std::string error = CheckUnchanged(held, readBytes, system); !error.empty()) {
        return Failure(error);
    }
    // Through a symbolic link the file it leads to is replaced, and the link stays.
    const std::string& target = facts.target;
    TemporaryFile next(system);
    if (std::string error = WriteInPlaceOf(target, facts, newBytes, next); !error.empty()) {
        return Failure(error);
    }
    const std::string backupPath = target + ".bak";
    TemporaryFile backup(system);
    if (std::string error = WriteInPlaceOf(backupPath, facts, readBytes, backup);
        !error.empty()) {
        return Failure("cannot keep the previous version as " + backupPath + ": " + error);
    }
    // The last look before anything is replaced, as close to the replace as it gets.
    if (std::string error = CheckUnchanged(held, readBytes, system); !error.empty()) {
        return Failure(error);
    }
    if (std::string error = backup.MoveTo(backupPath); !error.empty()) {
        return Failure("cannot keep the previous version as " + backupPath + " (" + error + ")");
    }
    if (system.releaseBeforeReplace) {
        held.Release();
    }
    if (std::string error = ReplaceHeld(held, next, system); !error.empty()) {
        return Failure(error);
    }
    if (std::string lost = Reinstate(held, system); !lost.empty()) {
        return Failure(lost);
    }
    return SaveResult{true, ""};
}

}  // namespace

HeldFile::HeldFile(const std::string& path, const SaveSystem& system)
    : system_(system), path_(path) {
    if (std::string error = system.inspect(path, facts_); !error.empty()) {
        error_ = "cannot look at " + path + " (" + error + ")";
        return;
    }
    heldAt_ = system.now();
    if (std::string error = system.hold(facts_.target, handle_); !error.empty()) {
        error_ = "cannot open " + path + " (" + error + ")";
        return;
    }
    open_ = true;
    if (std::string error = system.stamp(facts_.target, stamp_); !error.empty()) {
        error_ = "cannot look at " + path + " (" + error + ")";
    }
}

HeldFile::~HeldFile() {
    Release();
}

void HeldFile::Release() {
    if (open_) {
        open_ = false;
        system_.close(handle_);
    }
}

SaveResult SaveSafely(HeldFile& held, std::string_view readBytes, std::string_view newBytes,
                      const SaveSystem& system) {
    try {
        return Save(held, readBytes, newBytes, system);
    } catch (const std::bad_alloc&) {
        return SaveResult{false, "out of memory while saving " + held.Path() + "; nothing written"};
    }
}

SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system) {
    try {
        HeldFile held(path, system);
        return Save(held, readBytes, newBytes, system);
    } catch (const std::bad_alloc&) {
        return SaveResult{false, "out of memory while saving " + path + "; nothing written"};
    }
}

}  // namespace kioedit
