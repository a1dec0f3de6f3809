#include "commands.h"
#include "file_bytes.h"
#include "result_meaning.h"

namespace kiobind {

std::optional<std::string> ReadOrReport(const std::string& path, const Context& context,
                                        Output& output) {
    std::string bytes;
    const kio::ResultCode result = ReadFileBytes(context.fileSystem, path, bytes);
    if (kio::Failed(result)) {
        output.err += path + ": " + context.style(Paint::Error, "error:") +
                      " cannot read the file; GetPAM would return " + DescribeResult(result) +
                      " and leave every binding at the game's default\n";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace kiobind
