#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "safe_save.h"

namespace kioedit {
namespace {

std::string SystemError() {
    return std::strerror(errno);
}

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
        const std::string error = SystemError();
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

std::string ReadAll(const std::string& path, std::string& bytes) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        return SystemError();
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
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

void Remove(const std::string& path) {
    ::unlink(path.c_str());
}

}  // namespace

const SaveSystem& SystemSaveSystem() {
    static const SaveSystem system{Inspect, CreateExclusive, Write, Flush, Close,
                                   ReadAll, Replace,         Remove};
    return system;
}

}  // namespace kioedit
