#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "safe_save.h"

namespace kio::edit {
namespace {

std::string SystemError() { return std::strerror(errno); }

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

std::string Inspect(const std::string& path, FileFacts& facts) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return SystemError();
    }
    facts.target = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(path.c_str(), nullptr), &std::free);
        if (!resolved) {
            return SystemError();
        }
        facts.target = resolved.get();
    }
    facts.regular = S_ISREG(status.st_mode);
    facts.links = static_cast<uint64_t>(status.st_nlink);
    facts.mode = status.st_mode & 07777;
    facts.owner = status.st_uid;
    facts.group = status.st_gid;
    // The owner's write bit counts even for root, who may write anything.
    facts.readOnly = (status.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
    return "";
}

std::string CreateExclusive(const std::string& path, const FileFacts& like, SaveHandle& handle,
                            bool& existed) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    existed = fd < 0 && errno == EEXIST;
    if (fd < 0) {
        return SystemError();
    }
    // Only root may give a file away; anyone else keeps ownership, as an editor would.
    if (::fchown(fd, like.owner, like.group) != 0) {
        errno = 0;
    }
    if (::fchmod(fd, static_cast<mode_t>(like.mode)) != 0) {
        std::string error = SystemError();
        ::close(fd);
        ::unlink(path.c_str());
        return error;
    }
    handle = fd;
    return "";
}

std::string Write(SaveHandle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return SystemError();
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return "";
}

std::string Flush(SaveHandle handle) {
    return ::fsync(static_cast<int>(handle)) == 0 ? "" : SystemError();
}

std::string Close(SaveHandle handle) {
    return ::close(static_cast<int>(handle)) == 0 ? "" : SystemError();
}

// The signal a broken lease sends. Its handler gives the lease back at once,
// so the program that opened the file for writing goes on without waiting;
// kiobind sees the lease gone (F_GETLEASE) at its next step. The handler is
// installed once and stays: a signal still on its way after the file is
// closed must not end the process.
int LeaseSignal() {
    static const int signal = [] {
        const int chosen = SIGRTMIN;
        struct sigaction action {};
        action.sa_sigaction = [](int, siginfo_t* info, void*) {
            const int saved = errno;
            ::fcntl(info->si_fd, F_SETLEASE, F_UNLCK);
            errno = saved;
        };
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        return ::sigaction(chosen, &action, nullptr) == 0 ? chosen : 0;
    }();
    return signal;
}

// Opened without blocking, so that a FIFO never stops kiobind, and only a
// regular file is kept. A read lease is refused (EAGAIN) while any program has
// the file open for writing, and broken when one opens it later. Where no
// lease can be had (another user's file, some network file systems) the file
// is held all the same, unguarded.
std::string Hold(const std::string& path, SaveHandle& handle, HoldState& state) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return SystemError();
    }
    struct stat status {};
    const bool stated = ::fstat(fd, &status) == 0;
    if (!stated || !S_ISREG(status.st_mode)) {
        // A failed fstat says why in errno; its zeroed status says nothing.
        std::string error = stated ? std::string("not a regular file") : SystemError();
        ::close(fd);
        return error;
    }
    state = HoldState::Unguarded;
    const int signal = LeaseSignal();
    if (signal != 0 && ::fcntl(fd, F_SETSIG, signal) == 0) {
        if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
            state = HoldState::Guarded;
        } else if (errno == EAGAIN) {
            ::close(fd);
            state = HoldState::Busy;
            return "";
        }
    }
    handle = fd;
    return "";
}

bool WriterCame(SaveHandle handle) {
    return ::fcntl(static_cast<int>(handle), F_GETLEASE) != F_RDLCK;
}

std::string ReadHeld(SaveHandle handle, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(static_cast<int>(handle), buffer, sizeof buffer, offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return SystemError();
        }
        if (got == 0) {
            return "";
        }
        bytes.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
}

int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& status) {
    return FileStamp{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
                     static_cast<uint64_t>(status.st_size), Nanoseconds(status.st_mtim),
                     Nanoseconds(status.st_ctim)};
}

std::string Stamp(const std::string& path, FileStamp& stamp) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return SystemError();
    }
    stamp = StampOf(status);
    return "";
}

std::string StampHeld(SaveHandle handle, FileStamp& stamp) {
    struct stat status {};
    if (::fstat(static_cast<int>(handle), &status) != 0) {
        return SystemError();
    }
    stamp = StampOf(status);
    return "";
}

int64_t Now() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

void Wait(int64_t nanoseconds) {
    struct timespec left {};
    left.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    left.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string Replace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return SystemError();
    }
    // The rename is done; flushing the folder makes it survive a power cut. A
    // folder that cannot be flushed still holds the new file.
    const Descriptor folder(::open(Folder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
    return "";
}

std::string Exchange(const std::string& from, const std::string& to, bool& supported) {
    supported = true;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0) {
        // A file system that cannot swap (or an older kernel) still renames.
        supported = errno != EINVAL && errno != ENOSYS && errno != ENOTSUP;
        return supported ? SystemError() : "";
    }
    const Descriptor folder(::open(Folder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
    return "";
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

// Hard links in the same folder, the file's own name left out.
std::vector<std::string> OtherNames(const std::string& path, const FileStamp& stamp) {
    std::vector<std::string> names;
    const std::string folder = Folder(path);
    struct CloseFolder {
        void operator()(DIR* folder) const { ::closedir(folder); }
    };
    const std::unique_ptr<DIR, CloseFolder> entries(::opendir(folder.c_str()));
    if (!entries) {
        return names;
    }
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    const std::string own = path.substr(path.rfind('/') + 1);
    while (const struct dirent* entry = ::readdir(entries.get())) {
        const std::string name = prefix + entry->d_name;
        struct stat status {};
        if (entry->d_name != own && ::lstat(name.c_str(), &status) == 0 &&
            static_cast<uint64_t>(status.st_dev) == stamp.device &&
            static_cast<uint64_t>(status.st_ino) == stamp.file) {
            names.push_back(name);
        }
    }
    return names;
}

}  // namespace

const SaveSystem& SystemSaveSystem() {
    static const SaveSystem system{.inspect = Inspect,
                                   .hold = Hold,
                                   .writerCame = WriterCame,
                                   .readHeld = ReadHeld,
                                   .stamp = Stamp,
                                   .stampHeld = StampHeld,
                                   .now = Now,
                                   .wait = Wait,
                                   .createExclusive = CreateExclusive,
                                   .write = Write,
                                   .flush = Flush,
                                   .close = Close,
                                   .replace = Replace,
                                   .exchange = Exchange,
                                   .remove = Remove,
                                   .otherNames = OtherNames,
                                   .releaseBeforeReplace = false};
    return system;
}

}  // namespace kio::edit
