// The calls scripts/bench counts the instructions of under callgrind, one call
// per run, its file written beside this program first:
//   kio_instruction_target getpam LINES   GetPAM on the typical file of LINES lines
//   kio_instruction_target codepage ID    LoadBindings under code page ID on the
//                                         Shift-JIS commented file of 1,000 lines
// callgrind collects only inside GetPAM or kio::binding::LoadBindings, so writing the
// file is not counted.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "bench_files.h"
#include "code_page.h"
#include "kio.h"
#include "load_bindings.h"
#include "platform.h"

int main(int argc, char** argv) {
    using namespace kio::binding;
    if (argc != 3) {
        std::fprintf(stderr, "usage: kio_instruction_target getpam LINES | codepage ID\n");
        return 2;
    }
    const std::string_view what = argv[1];
    const unsigned long number = std::strtoul(argv[2], nullptr, 10);
    std::array<int32_t, 54> bindings{};
    int32_t result = kOk;
    if (what == "getpam") {
        const bench::BindingFileBesideProgram file(bench::MakeBindingFile(number));
        result = GetPAM(bindings.data(), 54, bench::kActionNames);
    } else if (const CodePage* page = FindBuiltInCodePage(static_cast<uint32_t>(number));
               what == "codepage" && page != nullptr) {
        const bench::BindingFileBesideProgram file(bench::MakeShiftJisCommentedFile(1000));
        result = LoadBindings(bindings.data(), 54, bench::kActionNames, SystemFileSystem(), *page);
    } else {
        std::fprintf(stderr, "kio_instruction_target: unknown call %s %s\n", argv[1], argv[2]);
        return 2;
    }
    return result == kOk ? 0 : 1;
}
