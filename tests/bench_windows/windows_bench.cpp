// kio.dll's GetPAM as a game calls it, under Wine, against the Win32 calls no
// reader of the file can avoid: GetModuleFileNameA, CreateFileA, GetFileSizeEx,
// ReadFile and CloseHandle, once each. scripts/bench runs it and puts its result
// lines into the closing table.
//
//   kio_windows_bench KIO_DLL_PATH [--quick]
//
// KIO_DLL_PATH may be a Windows path or the host's (/...). --quick runs one short
// batch of each at two sizes, so that ctest keeps the program working.
//
// Both are timed in one process on the same "input.ini" beside this program, in
// alternating batches, and each is summed up by the median of its batches.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "binding_text.h"

namespace kio::binding::bench {
namespace {

using GetPamFunction = int32_t(__stdcall*)(int32_t*, int32_t, const char* const*);

constexpr std::array<int, 4> kLineCounts = {1, 60, 1000, 100000};
constexpr int kBatches = 15;
constexpr double kBatchSeconds = 0.004;

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1) + name;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    return ::CloseHandle(file) && ok;
}

// The floor: what any reader of the file beside the game must ask of Windows.
bool ReadLikeAnyReader(const std::string& path, char* buffer, size_t capacity) {
    char executable[MAX_PATH];
    if (::GetModuleFileNameA(nullptr, executable, MAX_PATH) == 0) {
        return false;
    }
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    DWORD got = 0;
    const bool ok = ::GetFileSizeEx(file, &size) && static_cast<size_t>(size.QuadPart) < capacity &&
                    ::ReadFile(file, buffer, static_cast<DWORD>(size.QuadPart), &got, nullptr);
    ::CloseHandle(file);
    return ok;
}

// Seconds per call of `call`, timed over `count` calls.
template <typename Call>
double SecondsPerCall(int count, Call&& call) {
    const double start = Now();
    for (int i = 0; i < count; ++i) {
        call();
    }
    return (Now() - start) / count;
}

// Wine shows the host's root as drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace
}  // namespace kio::binding::bench

int main(int argc, char** argv) {
    using namespace kio::binding::bench;
    const bool quick = argc == 3 && std::string(argv[2]) == "--quick";
    if (argc != 2 && !quick) {
        std::fprintf(stderr, "usage: kio_windows_bench KIO_DLL_PATH [--quick]\n");
        return 2;
    }
    const HMODULE dll = ::LoadLibraryA(WindowsPath(argv[1]).c_str());
    const auto getPam = dll == nullptr ? nullptr
                                       : reinterpret_cast<GetPamFunction>(reinterpret_cast<void*>(
                                             ::GetProcAddress(dll, "GetPAM")));
    if (getPam == nullptr) {
        std::fprintf(stderr, "cannot load GetPAM from %s\n", argv[1]);
        return 1;
    }
    const char* const arch = sizeof(void*) == 8 ? "x86_64" : "i686";
    const std::string path = BesideThisProgram("input.ini");
    std::printf("ANSI code page %u\n", ::GetACP());
    std::printf("%-8s %8s %14s %14s %8s\n", "kio.dll", "lines", "GetPAM us", "floor us", "ratio");
    int status = 0;
    const std::vector<int> lineCounts =
        quick ? std::vector<int>{1, 60} : std::vector<int>(kLineCounts.begin(), kLineCounts.end());
    const int batches = quick ? 1 : kBatches;
    for (int lines : lineCounts) {
        const std::string text = MakeBindingFile(static_cast<size_t>(lines));
        if (!WriteWholeFile(path, text)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const auto buffer = std::make_unique<char[]>(text.size() + 1);
        std::array<int32_t, 54> bindings{};
        bool failed = false;
        const auto floorCall = [&] {
            failed |= !ReadLikeAnyReader(path, buffer.get(), text.size() + 1);
        };
        const auto getPamCall = [&] { failed |= getPam(bindings.data(), 54, kActionNames) != 0; };

        // Batches long enough for the timer, from one call of each.
        const double once = std::max(SecondsPerCall(1, floorCall), SecondsPerCall(1, getPamCall));
        const int count =
            quick ? 1 : std::max(1, static_cast<int>(kBatchSeconds / std::max(once, 1e-9)));
        std::vector<double> floorSeconds;
        std::vector<double> callSeconds;
        for (int batch = 0; batch < batches; ++batch) {
            // Alternate which goes first, so neither always meets a warm or cold cache.
            if (batch % 2 == 0) {
                floorSeconds.push_back(SecondsPerCall(count, floorCall));
                callSeconds.push_back(SecondsPerCall(count, getPamCall));
            } else {
                callSeconds.push_back(SecondsPerCall(count, getPamCall));
                floorSeconds.push_back(SecondsPerCall(count, floorCall));
            }
        }
        if (failed || (lines > 3 && bindings[0] != 0x11)) {
            std::fprintf(stderr, "GetPAM or the floor failed at %d lines\n", lines);
            status = 1;
            continue;
        }
        const double call = Median(callSeconds) * 1e9;
        const double floor = Median(floorSeconds) * 1e9;
        std::printf("%-8s %8d %14.2f %14.2f %7.2fx\n", arch, lines, call / 1e3, floor / 1e3,
                    call / floor);
        std::printf("kio-windows-bench: %s %d %.1f %.1f\n", arch, lines, call, floor);
    }
    ::DeleteFileA(path.c_str());
    if (status == 0) {
        std::printf("kio-test: PASS\n");
    }
    return status;
}
