#include "file_analysis.h"

#include "binding_file.h"
#include "line_parser.h"
#include "vocabulary.h"

namespace kiobind {

AnalysedLine AnalyseLine(std::string_view line, const kio::CodePage& codePage) {
    AnalysedLine analysed;
    analysed.text = line;
    analysed.hasEquals =
        kio::SplitBindingLine(line, codePage, analysed.keyText, analysed.valueText);
    analysed.entry = kio::FindBindingEntry(analysed.keyText, codePage);
    if (analysed.entry) {
        analysed.value = kio::DecodeValue(analysed.valueText, codePage);
    }
    return analysed;
}

FileAnalysis AnalyseFile(std::string_view bytes, const kio::CodePage& codePage) {
    const size_t nul = bytes.find('\0');
    FileAnalysis analysis{
        .bytes = bytes,
        .text = bytes.substr(0, nul),
        .nulOffset = nul == std::string_view::npos ? std::nullopt : std::optional<size_t>(nul),
        .lineNumbers = LineNumbers(bytes),
        .lines = {},
    };
    // The same steps as the loader: split the text, split each line, look the
    // key up, decode the value.
    for (std::string_view line : kio::SplitBindingLines(analysis.text, codePage)) {
        AnalysedLine analysed = AnalyseLine(line, codePage);
        analysed.offset = static_cast<size_t>(line.data() - bytes.data());
        analysed.number = analysis.lineNumbers.LineOf(analysed.offset);
        analysis.lines.push_back(analysed);
    }
    return analysis;
}

}  // namespace kiobind
