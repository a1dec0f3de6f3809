// Helpers that put real files where the loader's POSIX file services will find
// them, so tests exercise the platform layer itself rather than a fake.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform.h"

namespace kio::binding::test {

// A fresh directory under the system's temporary directory, removed with all
// its contents when this object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// What the redirected services were asked to do.
struct RedirectedFiles {
    std::string executablePath;  // the host executable the loader is told about
    int opens = 0;
    int closes = 0;
    int reads = 0;
};

// The system's own file services, except that the host executable is said to be
// `files.executablePath`; counts opens, closes and reads. Active on the current
// thread while this object lives. Makes no heap allocation during a call.
class RedirectedFileSystem {
public:
    explicit RedirectedFileSystem(RedirectedFiles& files);
    ~RedirectedFileSystem();
    RedirectedFileSystem(const RedirectedFileSystem&) = delete;
    RedirectedFileSystem& operator=(const RedirectedFileSystem&) = delete;

    const FileSystem& Get() const;

private:
    RedirectedFiles* previous_;
};

// "input.ini" beside this test's own executable, where GetPAM looks; removed
// again when this object goes. Each test binary that uses it runs from a
// directory of its own.
class BindingFileBesideExecutable {
public:
    explicit BindingFileBesideExecutable(std::string_view bytes);
    ~BindingFileBesideExecutable();
    BindingFileBesideExecutable(const BindingFileBesideExecutable&) = delete;
    BindingFileBesideExecutable& operator=(const BindingFileBesideExecutable&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace kio::binding::test
