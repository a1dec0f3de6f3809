#include "safe_save.h"

#include <exception>
#include <new>
#include <utility>
#include <vector>

namespace kioedit {
namespace {

// Enough names to step past leftovers of earlier runs.
constexpr int kTemporaryNames = 100;

using kiobind::Message;
using kiobind::Verbatim;

// A failure to save: the catalogue's sentence says nothing was written.
Message Why(std::string key, std::vector<kiobind::MessageArgument> arguments) {
    return Message{"save." + std::move(key), std::move(arguments)};
}

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
    // `step` names what failed: "write", "flush" or "close".
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

SaveResult Failure(Message why) {
    return SaveResult{false, std::move(why)};
}

bool Failed(const Message& why) {
    return !why.key.empty();
}

// Writes `bytes` to a new file that then takes the place of `target`. On
// failure, `systemError` is the system's own words for it.
Message WriteInPlaceOf(const std::string& target, const FileFacts& facts, std::string_view bytes,
                       TemporaryFile& temporary, std::string& systemError) {
    if (std::string error = temporary.Create(target, facts); !error.empty()) {
        systemError = error;
        return Why("create-temp", {Verbatim("file", target), Verbatim("error", error)});
    }
    std::string step;
    if (std::string error = temporary.Fill(bytes, step); !error.empty()) {
        systemError = error;
        return Why(step + "-temp", {Verbatim("file", temporary.Path()), Verbatim("error", error)});
    }
    return {};
}

// The held file, read again, must still be the one read: same file, size and
// times, same bytes.
Message CheckUnchanged(const HeldFile& held, std::string_view readBytes,
                       const SaveSystem& system) {
    const std::string& path = held.Path();
    FileStamp now;
    if (std::string error = system.stamp(held.Facts().target, now); !error.empty()) {
        return Why("look-again", {Verbatim("file", path), Verbatim("error", error)});
    }
    std::string current;
    if (std::string error = system.readHeld(held.Handle(), current); !error.empty()) {
        return Why("read-again", {Verbatim("file", path), Verbatim("error", error)});
    }
    if (now != held.Stamp() || current != readBytes) {
        return Why("changed", {Verbatim("file", path)});
    }
    return {};
}

// After the replace: a program that wrote into the old file in the last moment
// wrote into a file no name leads to any more. Its text goes back in place.
Message Reinstate(const HeldFile& held, const SaveSystem& system) {
    FileStamp after;
    const FileStamp& before = held.Stamp();
    if (!held.IsOpen() || !system.stampHeld(held.Handle(), after).empty() ||
        (after.size == before.size && after.modified == before.modified)) {
        return {};
    }
    const std::string& path = held.Path();
    std::string theirs;
    if (std::string error = system.readHeld(held.Handle(), theirs); !error.empty()) {
        return Why("wrote.unreadable", {Verbatim("file", path), Verbatim("error", error)});
    }
    TemporaryFile back(system);
    std::string error;
    if (Failed(WriteInPlaceOf(held.Facts().target, held.Facts(), theirs, back, error))) {
        return Why("wrote.not-back", {Verbatim("file", path), Verbatim("error", error)});
    }
    if (error = back.MoveTo(held.Facts().target); !error.empty()) {
        back.Keep();
        return Why("wrote.kept", {Verbatim("file", path), Verbatim("kept", back.Path()),
                                  Verbatim("error", error)});
    }
    return Why("wrote.back", {Verbatim("file", path)});
}

// Puts the new version in place of the held file. Where the system swaps
// files, the one swapped out must be the one held: a file another program put
// there in the last moment is swapped back, and stays.
Message ReplaceHeld(const HeldFile& held, TemporaryFile& next, const SaveSystem& system) {
    const std::string& path = held.Path();
    const std::string& target = held.Facts().target;
    const auto cannot = [&path](const std::string& error) {
        return Why("replace", {Verbatim("file", path), Verbatim("error", error)});
    };
    bool supported = false;
    if (system.exchange) {
        if (std::string error = system.exchange(next.Path(), target, supported); !error.empty()) {
            return cannot(error);
        }
    }
    if (!supported) {
        std::string error = next.MoveTo(target);
        return error.empty() ? Message{} : cannot(error);
    }
    // `next` now names the file swapped out; it goes when `next` does.
    FileStamp out;
    const bool same = system.stamp(next.Path(), out).empty() &&
                      out.device == held.Stamp().device && out.file == held.Stamp().file;
    if (same) {
        return {};
    }
    if (std::string error = system.exchange(next.Path(), target, supported); !error.empty()) {
        next.Keep();
        return Why("replaced.kept", {Verbatim("file", path), Verbatim("kept", next.Path()),
                                     Verbatim("error", error)});
    }
    return Why("replaced.stays", {Verbatim("file", path)});
}

SaveResult Save(HeldFile& held, std::string_view readBytes, std::string_view newBytes,
                const SaveSystem& system) {
    const std::string& path = held.Path();
    if (Failed(held.Error())) {
        return Failure(held.Error());
    }
    const FileFacts& facts = held.Facts();
    if (facts.readOnly) {
        return Failure(Why("read-only", {Verbatim("file", path)}));
    }
    // A save in progress elsewhere (truncated, not yet written) looks like a
    // file that just changed; so does one seconds from being written again.
    const int64_t age = held.HeldAt() - held.Stamp().modified;
    if (age > -kSettleNanoseconds && age < kSettleNanoseconds) {
        const std::string seconds = std::to_string(kSettleNanoseconds / 1'000'000'000);
        return Failure(Why("settling", {Verbatim("file", path), Verbatim("seconds", seconds)}));
    }
    if (Message why = CheckUnchanged(held, readBytes, system); Failed(why)) {
        return Failure(std::move(why));
    }
    // Through a symbolic link the file it leads to is replaced, and the link stays.
    const std::string& target = facts.target;
    std::string systemError;
    TemporaryFile next(system);
    if (Message why = WriteInPlaceOf(target, facts, newBytes, next, systemError); Failed(why)) {
        return Failure(std::move(why));
    }
    const std::string backupPath = target + ".bak";
    TemporaryFile backup(system);
    if (Failed(WriteInPlaceOf(backupPath, facts, readBytes, backup, systemError))) {
        return Failure(
            Why("backup", {Verbatim("backup", backupPath), Verbatim("error", systemError)}));
    }
    // The last look before anything is replaced, as close to the replace as it gets.
    if (Message why = CheckUnchanged(held, readBytes, system); Failed(why)) {
        return Failure(std::move(why));
    }
    if (std::string error = backup.MoveTo(backupPath); !error.empty()) {
        return Failure(Why("backup", {Verbatim("backup", backupPath), Verbatim("error", error)}));
    }
    if (system.releaseBeforeReplace) {
        held.Release();
    }
    if (Message why = ReplaceHeld(held, next, system); Failed(why)) {
        return Failure(std::move(why));
    }
    if (Message lost = Reinstate(held, system); Failed(lost)) {
        return Failure(std::move(lost));
    }
    return SaveResult{true, {}};
}

}  // namespace

HeldFile::HeldFile(const std::string& path, const SaveSystem& system)
    : system_(system), path_(path) {
    if (std::string error = system.inspect(path, facts_); !error.empty()) {
        error_ = Why("look", {Verbatim("file", path), Verbatim("error", error)});
        return;
    }
    heldAt_ = system.now();
    if (std::string error = system.hold(facts_.target, handle_); !error.empty()) {
        error_ = Why("open", {Verbatim("file", path), Verbatim("error", error)});
        return;
    }
    open_ = true;
    if (std::string error = system.stamp(facts_.target, stamp_); !error.empty()) {
        error_ = Why("look", {Verbatim("file", path), Verbatim("error", error)});
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
        return Failure(Why("memory", {Verbatim("file", held.Path())}));
    }
}

SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system) {
    try {
        HeldFile held(path, system);
        return Save(held, readBytes, newBytes, system);
    } catch (const std::bad_alloc&) {
        return Failure(Why("memory", {Verbatim("file", path)}));
    }
}

}  // namespace kioedit
