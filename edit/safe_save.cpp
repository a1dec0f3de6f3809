#include "safe_save.h"

#include <exception>
#include <new>
#include <utility>
#include <vector>

namespace kio::edit {
namespace {

// Enough names to step past leftovers of earlier runs.
constexpr int kTemporaryNames = 100;
// Where no writer is reported, how often the settle time is waited out for a
// file that keeps changing before it is read all the same (the checks before
// the replace still find a change).
constexpr int kSettleRounds = 4;

using kio::messages::Message;
using kio::messages::Number;
using kio::messages::Plain;
using kio::messages::Verbatim;

// A failure to save, or a note on one: file names are escaped as file text is,
// the system's own words are kept as they are.
Message Why(std::string key, std::vector<kio::messages::MessageArgument> arguments) {
    return Message{"save." + std::move(key), std::move(arguments)};
}

// A temporary file beside the target, closed and removed unless it was put
// in the target's place or kept.
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
    bool Exists() const { return !path_.empty() && !moved_; }
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

SaveResult Failure(Message why) { return SaveResult{false, std::move(why), {}}; }

bool Failed(const Message& why) { return !why.key.empty(); }

// Writes `bytes` to a new file that is to take the place of `target`. On
// failure, `systemError` is the system's own words for it.
Message WriteInPlaceOf(const std::string& target, const FileFacts& facts, std::string_view bytes,
                       TemporaryFile& temporary, std::string& systemError) {
    if (std::string error = temporary.Create(target, facts); !error.empty()) {
        systemError = error;
        return Why("create-temp", {Plain("file", target), Verbatim("error", error)});
    }
    std::string step;
    if (std::string error = temporary.Fill(bytes, step); !error.empty()) {
        systemError = error;
        return Why(step + "-temp", {Plain("file", temporary.Path()), Verbatim("error", error)});
    }
    return {};
}

// Another program opened the held file for writing: the system has been given
// it back already, and the handle goes too.
Message WriterCame(HeldFile& held, const SaveSystem& system) {
    if (!held.IsOpen() || !held.IsGuarded() || !system.writerCame(held.Handle())) {
        return {};
    }
    held.Release();
    return Why("opened", {Plain("file", held.Path())});
}

// The held file must still be the one read: no writer came, its name still
// leads to it, and it has the same size, times and bytes.
Message CheckUnchanged(HeldFile& held, const SaveSystem& system) {
    if (Message why = WriterCame(held, system); Failed(why)) {
        return why;
    }
    const std::string& path = held.Path();
    FileStamp named;
    FileStamp opened;
    if (std::string error = system.stamp(held.Facts().target, named); !error.empty()) {
        return Why("look-again", {Plain("file", path), Verbatim("error", error)});
    }
    if (std::string error = system.stampHeld(held.Handle(), opened); !error.empty()) {
        return Why("look-again", {Plain("file", path), Verbatim("error", error)});
    }
    std::string current;
    if (std::string error = system.readHeld(held.Handle(), current); !error.empty()) {
        return Why("read-again", {Plain("file", path), Verbatim("error", error)});
    }
    if (!named.SameFile(opened) || opened != held.Stamp() || current != held.Bytes()) {
        return Why("changed", {Plain("file", path)});
    }
    return WriterCame(held, system);
}

// Whether the held file was written since it was read. The swap itself gives
// it a new change time, so after it the bytes stand in for that time: a write
// that keeps the size and puts the old modification time back still differs.
bool Touched(const HeldFile& held, const SaveSystem& system) {
    if (!held.IsOpen()) {
        return false;
    }
    FileStamp now;
    std::string bytes;
    return (held.IsGuarded() && system.writerCame(held.Handle())) ||
           !system.stampHeld(held.Handle(), now).empty() || now.size != held.Stamp().size ||
           now.modified != held.Stamp().modified ||
           !system.readHeld(held.Handle(), bytes).empty() || bytes != held.Bytes();
}

// After the swap, the file swapped out must be the one held, untouched: a file
// another program renamed into place in the last moment, or wrote into, goes
// back in place and stays.
Message CheckSwappedOut(const HeldFile& held, TemporaryFile& next, const FileStamp& ours,
                        const SaveSystem& system) {
    FileStamp out;
    const bool same = system.stamp(next.Path(), out).empty() && out.SameFile(held.Stamp());
    const std::string key = !same ? "replaced.stays" : Touched(held, system) ? "wrote.back" : "";
    if (key.empty()) {
        return {};
    }
    const std::string& path = held.Path();
    bool supported = false;
    if (std::string error = system.exchange(next.Path(), held.Facts().target, supported);
        !error.empty()) {
        next.Keep();
        return Why(same ? "wrote.kept" : "replaced.kept",
                   {Plain("file", path), Plain("kept", next.Path()), Verbatim("error", error)});
    }
    // A program that wrote through the name in the meantime wrote into
    // kiobind's version, now swapped out again: that text is kept, not removed.
    FileStamp mine;
    if (!system.stamp(next.Path(), mine).empty() || mine.size != ours.size ||
        mine.modified != ours.modified) {
        next.Keep();
        return Why("wrote.both", {Plain("file", path), Plain("kept", next.Path())});
    }
    return Why(key, {Plain("file", path)});
}

// Puts the new version in place of the held file. Where the system swaps
// files, the one swapped out is checked before it goes; elsewhere the held
// file, still open on POSIX, shows a write that came during the rename.
Message ReplaceHeld(const HeldFile& held, TemporaryFile& next, const SaveSystem& system,
                    bool& swapped) {
    const std::string& path = held.Path();
    const std::string& target = held.Facts().target;
    const auto cannot = [&path](const std::string& error) {
        return Why("replace", {Plain("file", path), Verbatim("error", error)});
    };
    bool supported = false;
    FileStamp ours;
    if (system.exchange) {
        if (std::string error = system.stamp(next.Path(), ours); !error.empty()) {
            return cannot(error);
        }
        if (std::string error = system.exchange(next.Path(), target, supported); !error.empty()) {
            return cannot(error);
        }
    }
    if (supported) {
        // `next` now names the file swapped out; it goes when `next` does.
        Message why = CheckSwappedOut(held, next, ours, system);
        swapped = !Failed(why);
        return why;
    }
    if (std::string error = next.MoveTo(target); !error.empty()) {
        return cannot(error);
    }
    if (Touched(held, system)) {
        return Why("wrote.lost", {Plain("file", path)});
    }
    return {};
}

// What the player should know about the names of a file just saved.
std::vector<Message> NamesNotes(const HeldFile& held, const std::string& backupPath,
                                const SaveSystem& system) {
    std::vector<Message> notes;
    const FileFacts& facts = held.Facts();
    if (facts.target != held.Path()) {
        notes.push_back(Why("note.link", {Plain("file", held.Path()), Plain("target", facts.target),
                                          Plain("backup", backupPath)}));
    }
    if (facts.links > 1) {
        const std::vector<std::string> names = system.otherNames
                                                   ? system.otherNames(facts.target, held.Stamp())
                                                   : std::vector<std::string>();
        // The previous save's backup may be the file itself: no name the
        // player gave it. The names are all in the target's folder.
        const auto base = [](const std::string& name) { return name.substr(name.rfind('/') + 1); };
        const std::string oldBackup = base(facts.target) + ".bak";
        for (const std::string& name : names) {
            if (base(name) != oldBackup) {
                notes.push_back(
                    Why("note.links", {Plain("file", held.Path()), Plain("link", name)}));
            }
        }
        const size_t named = names.size();
        if (facts.links - 1 > named) {
            notes.push_back(
                Why("note.links.elsewhere",
                    {Plain("file", held.Path()), Number("count", facts.links - 1 - named)}));
        }
    }
    return notes;
}

SaveResult Save(HeldFile& held, std::string_view newBytes, const SaveSystem& system) {
    const std::string& path = held.Path();
    if (Failed(held.Error())) {
        return Failure(held.Error());
    }
    const FileFacts& facts = held.Facts();
    if (facts.readOnly) {
        return Failure(Why("read-only", {Plain("file", path)}));
    }
    if (Message why = CheckUnchanged(held, system); Failed(why)) {
        return Failure(std::move(why));
    }
    const std::string backupPath = facts.target + ".bak";
    // Looked for before any temporary file shares the folder with them.
    std::vector<Message> notes = NamesNotes(held, backupPath, system);
    // Through a symbolic link the file it leads to is replaced, and the link stays.
    const std::string& target = facts.target;
    std::string systemError;
    TemporaryFile next(system);
    if (Message why = WriteInPlaceOf(target, facts, newBytes, next, systemError); Failed(why)) {
        return Failure(std::move(why));
    }
    if (Message why = WriterCame(held, system); Failed(why)) {
        return Failure(std::move(why));
    }
    // An empty file keeps no text worth a backup, and an empty read may be a
    // save in progress: the previous backup is worth more than either. Where
    // the system swaps files, the file swapped out is the previous version
    // itself, checked untouched: it becomes FILE.bak by a rename, and no copy
    // is written. Elsewhere a copy is written before the replace.
    const bool keepsBackup = !held.Bytes().empty();
    TemporaryFile backup(system);
    if (keepsBackup && !system.exchange &&
        Failed(WriteInPlaceOf(backupPath, facts, held.Bytes(), backup, systemError))) {
        return Failure(
            Why("backup", {Plain("backup", backupPath), Verbatim("error", systemError)}));
    }
    // The last look before anything is replaced, as close to the replace as it gets.
    if (Message why = CheckUnchanged(held, system); Failed(why)) {
        return Failure(std::move(why));
    }
    if (system.releaseBeforeReplace) {
        held.Release();
    }
    bool swapped = false;
    if (Message why = ReplaceHeld(held, next, system, swapped); Failed(why)) {
        return Failure(std::move(why));
    }
    SaveResult saved{true, {}, std::move(notes)};
    if (!keepsBackup) {
        return saved;
    }
    // The file is saved: the backup follows it. Should that fail, the previous
    // text stays where the player is told.
    TemporaryFile& previous = swapped ? next : backup;
    if (!swapped && !backup.Exists()) {
        // A file system that cannot swap after all: the copy is made now.
        if (Failed(WriteInPlaceOf(backupPath, facts, held.Bytes(), backup, systemError))) {
            saved.notes.push_back(Why(
                "backup-failed", {Plain("backup", backupPath), Verbatim("error", systemError)}));
            return saved;
        }
    }
    if (std::string error = previous.MoveTo(backupPath); !error.empty()) {
        previous.Keep();
        saved.notes.push_back(
            Why("backup-kept", {Plain("backup", backupPath), Plain("kept", previous.Path()),
                                Verbatim("error", error)}));
    }
    return saved;
}

// Running out of memory, or anything else thrown, ends a save as any failure
// does: the temporary files are gone by then, and the file is as it was.
template <typename Action>
SaveResult Guarded(const std::string& path, Action action) {
    try {
        return action();
    } catch (const std::bad_alloc&) {
        return Failure(Why("memory", {Plain("file", path)}));
    } catch (const std::exception& error) {
        return Failure(Why("unexpected", {Plain("file", path), Verbatim("error", error.what())}));
    } catch (...) {
        return Failure(Why("unexpected", {Plain("file", path), Verbatim("error", "?")}));
    }
}

}  // namespace

HeldFile::HeldFile(const std::string& path, const SaveSystem& system)
    : system_(system), path_(path) {
    try {
        Hold();
    } catch (const std::bad_alloc&) {
        Release();
        error_ = Why("memory", {Plain("file", path)});
    }
}

void HeldFile::Hold() {
    if (std::string error = system_.inspect(path_, facts_); !error.empty()) {
        error_ = Why("look", {Plain("file", path_), Verbatim("error", error)});
        return;
    }
    if (!facts_.regular) {
        error_ = Why("not-regular", {Plain("file", path_)});
        return;
    }
    // A program finishing its save gets a moment; one that keeps the file
    // open for writing is named as the reason.
    const int64_t start = system_.now();
    HoldState state = HoldState::Busy;
    for (;;) {
        if (std::string error = system_.hold(facts_.target, handle_, state); !error.empty()) {
            error_ = Why("open", {Plain("file", path_), Verbatim("error", error)});
            return;
        }
        if (state != HoldState::Busy) {
            break;
        }
        if (system_.now() - start >= kBusyNanoseconds) {
            error_ = Why("busy", {Plain("file", path_)});
            return;
        }
        system_.wait(kBusyPollNanoseconds);
    }
    open_ = true;
    guarded_ = state == HoldState::Guarded;
    if (std::string error = system_.stampHeld(handle_, stamp_); !error.empty()) {
        error_ = Why("look", {Plain("file", path_), Verbatim("error", error)});
        return;
    }
    // Unguarded, a file written this moment may be half saved: it is read once
    // it has stood still for the settle time, which costs nothing for a file
    // saved earlier.
    for (int round = 0; !guarded_ && round < kSettleRounds; ++round) {
        const int64_t age = system_.now() - stamp_.modified;
        if (age < 0 || age >= kSettleNanoseconds) {
            break;
        }
        system_.wait(kSettleNanoseconds - age);
        if (std::string error = system_.stampHeld(handle_, stamp_); !error.empty()) {
            error_ = Why("look", {Plain("file", path_), Verbatim("error", error)});
            return;
        }
    }
    if (std::string error = system_.readHeld(handle_, bytes_); !error.empty()) {
        error_ = Why("read", {Plain("file", path_), Verbatim("error", error)});
        return;
    }
    // The name must still lead to the file opened: one renamed into place
    // meanwhile is another program's save, and not what was read.
    FileStamp named;
    if (std::string error = system_.stamp(facts_.target, named); !error.empty()) {
        error_ = Why("look", {Plain("file", path_), Verbatim("error", error)});
        return;
    }
    if (!named.SameFile(stamp_)) {
        error_ = Why("changed", {Plain("file", path_)});
    }
}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
    if (open_) {
        open_ = false;
        system_.close(handle_);
    }
}

SaveResult SaveSafely(HeldFile& held, std::string_view newBytes, const SaveSystem& system) {
    return Guarded(held.Path(), [&] { return Save(held, newBytes, system); });
}

SaveResult SaveSafely(const std::string& path, std::string_view readBytes,
                      std::string_view newBytes, const SaveSystem& system) {
    return Guarded(path, [&] {
        HeldFile held(path, system);
        if (!Failed(held.Error()) && held.Bytes() != readBytes) {
            return Failure(Why("changed", {Plain("file", path)}));
        }
        return Save(held, newBytes, system);
    });
}

}  // namespace kio::edit
