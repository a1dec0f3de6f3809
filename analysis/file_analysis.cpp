#include "file_analysis.h"

#include "vocabulary.h"

namespace kio::analysis {

AnalysedLine AnalyseLine(const kio::binding::BindingLine& line,
                         const kio::binding::CodePage& codePage) {
    AnalysedLine analysed;
    analysed.text = line.text;
    analysed.hasEquals = line.hasEquals;
    analysed.keyText = line.keyText;
    analysed.valueText = line.valueText;
    analysed.entry = kio::binding::FindBindingEntry(analysed.keyText, codePage);
    if (analysed.entry) {
        analysed.value = kio::binding::DecodeValue(analysed.valueText, codePage);
    }
    return analysed;
}

FileAnalysis AnalyseFile(std::string_view bytes, const kio::binding::CodePage& codePage) {
    const size_t nul = bytes.find('\0');
    FileAnalysis analysis{
        .bytes = bytes,
        .text = bytes.substr(0, nul),
        .nulOffset = nul == std::string_view::npos ? std::nullopt : std::optional<size_t>(nul),
        .lineNumbers = LineNumbers(bytes),
        .lines = {},
    };
    kio::binding::ForEachBindingLine(
        analysis.text, codePage, [&](const kio::binding::BindingLine& line) {
            AnalysedLine analysed = AnalyseLine(line, codePage);
            analysed.offset = static_cast<size_t>(line.text.data() - bytes.data());
            analysed.number = analysis.lineNumbers.LineOf(analysed.offset);
            analysis.lines.push_back(analysed);
        });
    return analysis;
}

LastLines LastLineOfEachBinding(const FileAnalysis& analysis) {
    LastLines last{};
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry) {
            last[static_cast<size_t>(*line.entry)] = &line;
        }
    }
    return last;
}

}  // namespace kio::analysis
