// The subcommands. Each writes into an Output rather than to the streams, so
// that tests can run them in-process, and returns the exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "binding_file.h"
#include "code_page.h"
#include "file_text.h"
#include "findings.h"
#include "language_choice.h"
#include "platform.h"
#include "safe_save.h"
#include "terminal.h"

namespace kio::kiobind {

inline constexpr int kExitClean = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitUnreadable = 2;  // also a wrong command line

struct Output {
    std::string out;
    std::string err;
};

struct Context {
    const kio::binding::FileSystem& fileSystem;
    const kio::binding::CodePage& codePage;
    Style style;
    const kio::edit::SaveSystem& saveSystem;
    messages::Language language = messages::Language::English;
};

// The whole program on its command line (without the program name). Running
// out of memory gives the code GetPAM would return for it and kExitUnreadable.
int RunKiobind(const std::vector<std::string>& words, Output& output);

int RunCheck(const Arguments& arguments, const Context& context, Output& output);
int RunShow(const Arguments& arguments, const Context& context, Output& output);
int RunKeys(const Context& context, Output& output);
int RunSet(const Arguments& arguments, const Context& context, Output& output);
int RunUnset(const Arguments& arguments, const Context& context, Output& output);
int RunFix(const Arguments& arguments, const Context& context, Output& output);

// One FILE:LINE: warning: or note: line per finding; returns how many are warnings.
size_t PrintFindings(const std::string& file, const std::vector<analysis::Finding>& findings,
                     const Context& context, Output& output);

std::string HelpText(Command command, messages::Language language);
std::string_view VersionLine();  // "kiobind 1.0.0.1\n"

// The file, read as the loader reads it, or nothing after writing to
// `output.err` the result code GetPAM would return for it and what that code means.
std::optional<kio::binding::FileText> ReadOrReport(const std::string& path, const Context& context,
                                                   Output& output);

}  // namespace kio::kiobind
