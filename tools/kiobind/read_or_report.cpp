#include "commands.h"
#include "result_meaning.h"
#include "words.h"

namespace kio::kiobind {

std::optional<kio::binding::FileText> ReadOrReport(const std::string& path, const Context& context,
                                                   Output& output) {
    kio::binding::FileText file;
    const kio::binding::ResultCode result =
        kio::binding::ReadBindingFileAt(context.fileSystem, path.c_str(), file);
    if (kio::binding::Failed(result)) {
        output.err +=
            ShowFileName(path) + ": " +
            context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
            Words(context.language, "cli.read-error",
                  {messages::Verbatim("result", DescribeResult(result, context.language))}) +
            "\n";
        return std::nullopt;
    }
    return file;
}

}  // namespace kio::kiobind
