// Drives the built kio.dll as a game does. The library lies in one directory and
// the host in another, each beside an "input.ini" of its own, and GetPAM must
// read the host's. The first process lays the directories out and starts the
// copied host, which runs the cases in a fresh process, so its first calls also
// race to set the library up. A copy of the host at a path longer than MAX_PATH,
// put there by the build and started by the test runner (Windows cannot start a
// program from such a path), checks that a cut path is refused.
//
//   kio_dll_tests PATH\kio.dll               lays out, runs the copy, gives the verdict
//   kio_dll_tests --cases DIR\kio.dll        the copy beside its own input.ini
//   kio_dll_tests --long-path PATH\kio.dll   run from a path too long for MAX_PATH
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "scratch_files.h"

namespace kio::binding::dll_test {
namespace {

using GetPamFunction = HRESULT(__stdcall*)(int32_t*, int32_t, const char* const*);

constexpr int kActionCount = 27;
constexpr int kSlotCount = 2 * kActionCount;
// A copy reports success with this exit code, which no crash or early exit gives.
constexpr DWORD kChildPassed = 0x4B10;
constexpr DWORD kChildTimeoutMs = 120000;

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
constexpr HRESULT kSharingViolation = static_cast<HRESULT>(0x80070020);
constexpr HRESULT kInsufficientBuffer = static_cast<HRESULT>(0x8007007A);

struct ActionBinding {
    const char* action;
    const char* keyName;  // as the file must write it, in lower case
    int32_t keyCode;      // its DirectInput code
};

// The game's actions in the game's order, each with a key.
constexpr ActionBinding kGameActions[kActionCount] = {{"MoveForward", "w", 0x11},
                                                      {"MoveBackward", "s", 0x1F},
                                                      {"MoveLeft", "a", 0x1E},
                                                      {"MoveRight", "d", 0x20},
                                                      {"TurnRight", "e", 0x12},
                                                      {"TurnLeft", "q", 0x10},
                                                      {"Up", "up", 0xC8},
                                                      {"Down", "down", 0xD0},
                                                      {"Left", "left", 0xCB},
                                                      {"Right", "right", 0xCD},
                                                      {"Enter", "return", 0x1C},
                                                      {"Action", "space", 0x39},
                                                      {"Cancel", "escape", 0x01},
                                                      {"SkipDemo", "back", 0x0E},
                                                      {"Pause", "p", 0x19},
                                                      {"Pose", "f", 0x21},
                                                      {"Evade", "lshift", 0x2A},
                                                      {"RearCamera", "r", 0x13},
                                                      {"Run", "lcontrol", 0x1D},
                                                      {"ScrapBook", "tab", 0x0F},
                                                      {"Map", "m", 0x32},
                                                      {"Item", "i", 0x17},
                                                      {"Iteminfo", "o", 0x18},
                                                      {"CameraLeft", "numpad4", 0x4B},
                                                      {"CameraRight", "numpad6", 0x4D},
                                                      {"CameraUp", "numpad8", 0x48},
                                                      {"CameraDown", "numpad2", 0x50}};
constexpr int kRunKeyboardSlot = 36;  // "Run" is action 18
constexpr int kRunPadSlot = 37;

using Bindings = std::array<int32_t, kSlotCount>;
using SlotChanges = std::vector<std::pair<int, int32_t>>;

std::array<const char*, kActionCount> GameActionNames() {
    std::array<const char*, kActionCount> names{};
    for (int p = 0; p < kActionCount; ++p) {
        names[p] = kGameActions[p].action;
    }
    return names;
}

// The host's defaults, distinct in every slot so that any stray write shows.
Bindings Defaults() {
    Bindings bindings{};
    for (int i = 0; i < kSlotCount; ++i) {
        bindings[i] = 1000 + i;
    }
    return bindings;
}

Bindings DefaultsWith(const SlotChanges& changes) {
    Bindings bindings = Defaults();
    for (const auto& [slot, value] : changes) {
        bindings[slot] = value;
    }
    return bindings;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

class Checks {
public:
    void Expect(bool passed, const std::string& what) {
        ++run_;
        if (!passed) {
            ++failed_;
            std::printf("FAIL: %s\n", what.c_str());
        }
    }
    void ExpectResult(HRESULT got, HRESULT want, const std::string& what) {
        Expect(got == want, what + ": result " + Hex(static_cast<uint32_t>(got)) + ", expected " +
                                Hex(static_cast<uint32_t>(want)));
    }
    void ExpectBindings(const Bindings& got, const Bindings& want, const std::string& what) {
        for (int i = 0; i < kSlotCount; ++i) {
            if (got[i] != want[i]) {
                Expect(false, what + ": slot " + std::to_string(i) + " is " +
                                  Hex(static_cast<uint32_t>(got[i])) + ", expected " +
                                  Hex(static_cast<uint32_t>(want[i])));
                return;
            }
        }
        Expect(true, what);
    }
    int Run() const { return run_; }
    int Failed() const { return failed_; }

private:
    int run_ = 0;
    int failed_ = 0;
};

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : module_(::LoadLibraryA(path.c_str())) {}
    ~LoadedLibrary() {
        if (module_ != nullptr) {
            ::FreeLibrary(module_);
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

GetPamFunction AsGetPam(FARPROC proc) {
    return reinterpret_cast<GetPamFunction>(reinterpret_cast<void*>(proc));
}

// Every export answers by its plain name and by its ordinal, at the same address.
GetPamFunction CheckExports(HMODULE module, Checks& checks) {
    static constexpr const char* kExports[] = {
        "DllCanUnloadNow",   "DllGetClassObject",   "DllMain",
        "DllRegisterServer", "DllUnregisterServer", "GetPAM"};
    for (int i = 0; i < 6; ++i) {
        const FARPROC byName = ::GetProcAddress(module, kExports[i]);
        const FARPROC byOrdinal = ::GetProcAddress(module, MAKEINTRESOURCEA(i + 1));
        checks.Expect(byName != nullptr && byName == byOrdinal,
                      std::string(kExports[i]) + " is export ordinal " + std::to_string(i + 1));
    }
    checks.Expect(::GetProcAddress(module, "_GetPAM@12") == nullptr &&
                      ::GetProcAddress(module, "GetPAM@12") == nullptr,
                  "no decorated GetPAM is exported");
    return AsGetPam(::GetProcAddress(module, MAKEINTRESOURCEA(6)));
}

std::string FullBindingFile() {
    std::string text = "[Keyboard]\r\n";
    for (const ActionBinding& binding : kGameActions) {
        text += std::string("KB_") + binding.action + "=" + binding.keyName + "\r\n";
    }
    text += "\r\n[Pad]\n";
    for (int p = 0; p < kActionCount; ++p) {
        text += std::string("PAD_") + kGameActions[p].action + "=" + Hex(0x100u + p) + "\n";
    }
    return text;
}

SlotChanges FullBindingValues() {
    SlotChanges changes;
    for (int p = 0; p < kActionCount; ++p) {
        changes.emplace_back(2 * p, kGameActions[p].keyCode);
        changes.emplace_back(2 * p + 1, 0x100 + p);
    }
    return changes;
}

// What stands at "input.ini" beside the host while a case runs.
enum class FileState {
    Written,                    // the contents, nobody else has it open
    Missing,                    // nothing (the library's directory still has one)
    Directory,                  // a directory of that name
    HeldForWriting,             // the contents, open for writing by the test, no sharing
    HeldForWritingSharingRead,  // the contents, open for writing, reads shared
    HeldForReading,             // the contents, open for reading, reads shared
};

struct FileCase {
    const char* name;
    FileState state;
    std::string contents;
    int32_t bindingCount;
    HRESULT expected;
    SlotChanges changes;  // every other slot keeps the host's default
};

std::vector<FileCase> FileCases() {
    const std::string runOnSpace = "KB_Run=space\r\n";
    return {
        {"a full binding file", FileState::Written, FullBindingFile(), kSlotCount, S_OK,
         FullBindingValues()},
        {"input.ini beside the host, not the library's or the working directory's",
         FileState::Written,
         "KB_Run=0x11\r\n",
         kSlotCount,
         S_OK,
         {{kRunKeyboardSlot, 0x11}}},
        {"the file is read again on the next call",
         FileState::Written,
         "PAD_Run=0x12",
         kSlotCount,
         S_OK,
         {{kRunPadSlot, 0x12}}},
        {"an empty file", FileState::Written, "", kSlotCount, S_OK, {}},
        {"a NUL byte ends the text",
         FileState::Written,
         std::string("KB_Run=space\0\r\nPAD_Run=0x13\r\n", 29),
         kSlotCount,
         S_OK,
         {{kRunKeyboardSlot, 0x39}}},
        {"a wrong count", FileState::Written, runOnSpace, kSlotCount - 1, E_INVALIDARG, {}},
        {"no input.ini beside the host", FileState::Missing, "", kSlotCount, kFileNotFound, {}},
        {"input.ini is a directory", FileState::Directory, "", kSlotCount, kAccessDenied, {}},
        {"input.ini held open for writing without sharing",
         FileState::HeldForWriting,
         runOnSpace,
         kSlotCount,
         kSharingViolation,
         {}},
        {"input.ini held open for writing, reads shared",
         FileState::HeldForWritingSharingRead,
         runOnSpace,
         kSlotCount,
         kSharingViolation,
         {}},
        {"input.ini held open for reading, reads shared",
         FileState::HeldForReading,
         runOnSpace,
         kSlotCount,
         S_OK,
         {{kRunKeyboardSlot, 0x39}}},
    };
}

// Puts the case's file in place; the returned handle is the test's own hold on it.
UniqueHandle Prepare(const FileCase& fileCase, const std::string& path, Checks& checks) {
    RemoveTree(LongPath(path));
    switch (fileCase.state) {
        case FileState::Missing: return {};
        case FileState::Directory:
            checks.Expect(::CreateDirectoryA(path.c_str(), nullptr) != FALSE,
                          std::string(fileCase.name) + ": set up");
            return {};
        default: break;
    }
    checks.Expect(WriteWholeFile(path, fileCase.contents), std::string(fileCase.name) + ": set up");
    DWORD access = 0;
    DWORD sharing = 0;
    switch (fileCase.state) {
        case FileState::HeldForWriting:
            access = GENERIC_WRITE;
            sharing = 0;
            break;
        case FileState::HeldForWritingSharingRead:
            access = GENERIC_WRITE;
            sharing = FILE_SHARE_READ;
            break;
        case FileState::HeldForReading:
            access = GENERIC_READ;
            sharing = FILE_SHARE_READ;
            break;
        default: return {};
    }
    UniqueHandle hold(::CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    checks.Expect(hold.Valid(), std::string(fileCase.name) + ": hold the file");
    return hold;
}

// The first calls of a fresh process come from several threads at once; each
// must see its own array filled and nothing else.
void CheckConcurrentFirstCalls(GetPamFunction getPam, const std::string& iniPath, Checks& checks) {
    checks.Expect(WriteWholeFile(iniPath, "KB_Run=space\r\nPAD_Run=0x10\r\n"), "threads: set up");
    const auto names = GameActionNames();
    const Bindings want = DefaultsWith({{kRunKeyboardSlot, 0x39}, {kRunPadSlot, 0x10}});
    constexpr int kThreads = 4;
    constexpr int kCallsPerThread = 25;
    std::array<int, kThreads> wrong{};
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int call = 0; call < kCallsPerThread; ++call) {
                    Bindings bindings = Defaults();
                    if (getPam(bindings.data(), kSlotCount, names.data()) != S_OK ||
                        bindings != want) {
                        ++wrong[t];
                    }
                }
            });
        }
    }
    for (int t = 0; t < kThreads; ++t) {
        checks.Expect(wrong[t] == 0, "thread " + std::to_string(t) + ": " +
                                         std::to_string(wrong[t]) + " calls went wrong");
    }
}

int RunCases(const std::string& dllPath) {
    Checks checks;
    const std::string iniPath = ParentOf(ModulePath()) + "\\input.ini";
    LoadedLibrary library(dllPath);
    checks.Expect(library.Get() != nullptr, "LoadLibrary " + dllPath);
    if (library.Get() == nullptr) {
        return 1;
    }
    const GetPamFunction getPam = CheckExports(library.Get(), checks);
    if (getPam == nullptr) {
        return 1;
    }
    checks.Expect(ParentOf(ModulePath(library.Get())) != ParentOf(ModulePath()),
                  "the library and the host lie in different directories");

    CheckConcurrentFirstCalls(getPam, iniPath, checks);

    const auto names = GameActionNames();
    for (const FileCase& fileCase : FileCases()) {
        const UniqueHandle hold = Prepare(fileCase, iniPath, checks);
        Bindings bindings = Defaults();
        const HRESULT result = getPam(bindings.data(), fileCase.bindingCount, names.data());
        checks.ExpectResult(result, fileCase.expected, fileCase.name);
        checks.ExpectBindings(bindings, DefaultsWith(fileCase.changes), fileCase.name);
    }
    RemoveTree(LongPath(iniPath));

    // The caller's order of actions decides the slots.
    auto reversed = names;
    std::reverse(reversed.begin(), reversed.end());
    WriteWholeFile(iniPath, "KB_MoveForward=w\r\nKB_CameraDown=s\r\n");
    Bindings bindings = Defaults();
    checks.ExpectResult(getPam(bindings.data(), kSlotCount, reversed.data()), S_OK,
                        "a reversed action list");
    checks.ExpectBindings(bindings, DefaultsWith({{52, 0x11}, {0, 0x1F}}),
                          "a reversed action list");

    std::printf("cases: %d checks, %d failed\n", checks.Run(), checks.Failed());
    return checks.Failed() == 0 ? static_cast<int>(kChildPassed) : 1;
}

// The host's own path is cut by GetModuleFileNameA: nothing may be opened.
int RunLongPathCase(const std::string& dllPath) {
    Checks checks;
    LoadedLibrary library(dllPath);
    const GetPamFunction getPam =
        library.Get() ? AsGetPam(::GetProcAddress(library.Get(), "GetPAM")) : nullptr;
    checks.Expect(getPam != nullptr, "GetPAM from " + dllPath);
    if (getPam != nullptr) {
        const auto names = GameActionNames();
        Bindings bindings = Defaults();
        checks.ExpectResult(getPam(bindings.data(), kSlotCount, names.data()), kInsufficientBuffer,
                            "a host path longer than MAX_PATH");
        checks.ExpectBindings(bindings, Defaults(), "a host path longer than MAX_PATH");
    }
    std::printf("long path: %d checks, %d failed\n", checks.Run(), checks.Failed());
    std::printf("kio-test: %s\n", checks.Failed() == 0 ? "PASS" : "FAIL");
    return checks.Failed() == 0 ? 0 : 1;
}

// Starts a copy of the host and waits for it; true when it reported success.
bool RunCopy(const std::string& application, const std::string& mode, const std::string& dllPath,
             const std::string& workingDirectory) {
    std::wstring commandLine =
        L"\"" + Widen(application) + L"\" " + Widen(mode) + L" \"" + Widen(dllPath) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::fflush(stdout);
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          Widen(workingDirectory).c_str(), &startup, &info)) {
        std::printf("FAIL: %s: could not start the copy (error %lu)\n", mode.c_str(),
                    ::GetLastError());
        return false;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.Get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 1);
        std::printf("FAIL: %s: the copy did not finish\n", mode.c_str());
        return false;
    }
    ::GetExitCodeProcess(process.Get(), &exitCode);
    if (exitCode != kChildPassed) {
        std::printf("FAIL: %s: the copy exited with 0x%08lX\n", mode.c_str(), exitCode);
        return false;
    }
    return true;
}

int RunAll(const std::string& dllArgument) {
    char fullDll[MAX_PATH];
    char temp[MAX_PATH];
    if (::GetFullPathNameA(dllArgument.c_str(), MAX_PATH, fullDll, nullptr) == 0 ||
        ::GetTempPathA(MAX_PATH, temp) == 0) {
        std::printf("kio-test: FAIL: no paths for %s\n", dllArgument.c_str());
        return 1;
    }
    ScratchDirectory work(std::string(temp) + "kio-dll-test-" +
                          std::to_string(::GetCurrentProcessId()));
    ScratchDirectory library(work.Join("library"));
    ScratchDirectory game(work.Join("game"));
    const std::string dllCopy = library.Join("kio.dll");
    const std::string hostCopy = game.Join("host.exe");
    // Decoys: a file beside the library and one in the working directory.
    const bool laidOut = work.Created() && library.Created() && game.Created() &&
                         ::CopyFileA(fullDll, dllCopy.c_str(), FALSE) &&
                         ::CopyFileA(ModulePath().c_str(), hostCopy.c_str(), FALSE) &&
                         WriteWholeFile(library.Join("input.ini"), "KB_Run=0x22\r\n") &&
                         WriteWholeFile(work.Join("input.ini"), "KB_Run=0x33\r\n");
    if (!laidOut) {
        std::printf("kio-test: FAIL: could not lay out %s\n", work.Path().c_str());
        return 1;
    }
    const bool passed = RunCopy(hostCopy, "--cases", dllCopy, work.Path());
    std::printf("kio-test: %s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}

}  // namespace
}  // namespace kio::binding::dll_test

int main(int argc, char** argv) {
    using namespace kio::binding::dll_test;
    if (argc == 3 && std::strcmp(argv[1], "--cases") == 0) {
        return RunCases(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--long-path") == 0) {
        return RunLongPathCase(argv[2]);
    }
    if (argc == 2) {
        return RunAll(argv[1]);
    }
    std::printf("kio-test: FAIL: usage: %s PATH\\kio.dll\n", argv[0]);
    return 2;
}
