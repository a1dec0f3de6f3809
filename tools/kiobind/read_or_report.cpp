#include "commands.h"
#include "result_meaning.h"
#include "words.h"

namespace kiobind {

std::optional<kio::FileText> ReadOrReport(const std::string& path, const Context& context,
                                          Output& output) {
    kio::FileText file;
    const kio::ResultCode result = kio::ReadBindingFileAt(context.fileSystem, path.c_str(), file);
    if (kio::Failed(result)) {
        output.err += ShowFileName(path) + ": " +
                      context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
                      Words(context.language, "cli.read-error",
                            {Verbatim("result", DescribeResult(result, context.language))}) +
                      "\n";
        return std::nullopt;
    }
    return file;
}

}  // namespace kiobind
