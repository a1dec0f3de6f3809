#include "commands.h"
#include "result_meaning.h"

namespace kiobind {

std::optional<kio::FileText> ReadOrReport(const std::string& path, const Context& context,
                                          Output& output) {
    kio::FileText file;
    const kio::ResultCode result = kio::ReadBindingFileAt(context.fileSystem, path.c_str(), file);
    if (kio::Failed(result)) {
        output.err += path + ": " + context.style(Paint::Error, "error:") +
                      " cannot read the file; GetPAM would return " + DescribeResult(result) +
                      " and leave every binding at the game's default\n";
        return std::nullopt;
    }
    return file;
}

}  // namespace kiobind
