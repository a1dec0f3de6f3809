// The one pass over a binding file that finds its lines and the "=" of each.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "byte_search.h"
#include "code_page.h"

namespace kio {

// A non-empty line and the offset of its first "=" (npos when it has none).
struct ScannedLine {
    std::string_view text;
    size_t equals = std::string_view::npos;
};

namespace line_scanner {

// The marks (CR, LF and "=") of a text where every character is one byte, found
// a block at a time: the block's offset, and a bit for each mark not yet taken.
class BlockMarks {
public:
    explicit BlockMarks(std::string_view text) : text_(text), marks_(MarksOfBlock(0)) {}

    // The offset of the next mark, or the text's size when none is left.
    size_t Next() {
        while (marks_ == 0) {
            if (text_.size() - blockStart_ <= kBlockSize) {
                return text_.size();
            }
            blockStart_ += kBlockSize;
            marks_ = MarksOfBlock(blockStart_);
        }
        const size_t mark = blockStart_ + static_cast<size_t>(std::countr_zero(marks_));
        marks_ &= marks_ - 1;
        return mark;
    }

private:
    uint32_t MarksOfBlock(size_t start) const {
        const size_t left = text_.size() - start;
        return left >= kBlockSize ? MatchMask(text_.data() + start, '\r', '\n', '=')
                                  : MatchMaskOfTail(text_.data() + start, left, '\r', '\n', '=');
    }

    std::string_view text_;
    size_t blockStart_ = 0;
    uint32_t marks_;
};

// The marks of a text in a double-byte code page, found a character at a time,
// so that the second byte of a character is never taken for one.
class CharacterMarks {
public:
    CharacterMarks(std::string_view text, const CodePage& codePage)
        : text_(text), codePage_(codePage) {}

    size_t Next() {
        while (cursor_ < text_.size()) {
            const char byte = text_[cursor_];
            if (byte == '\r' || byte == '\n' || byte == '=') {
                return cursor_++;
            }
            cursor_ += codePage_.CharacterLength(text_, cursor_);
        }
        return text_.size();
    }

private:
    std::string_view text_;
    const CodePage& codePage_;
    size_t cursor_ = 0;
};

template <typename Marks, typename OnLine>
void ScanWith(std::string_view text, Marks marks, OnLine& onLine) {
    size_t start = 0;
    size_t equals = std::string_view::npos;
    for (;;) {
        const size_t mark = marks.Next();
        if (mark < text.size() && text[mark] == '=') {
            equals = equals == std::string_view::npos ? mark - start : equals;
            continue;
        }
        // A line break, or the end: a line ends here unless it is empty.
        if (mark > start) {
            onLine(ScannedLine{std::string_view(text.data() + start, mark - start), equals});
        }
        if (mark == text.size()) {
            return;
        }
        start = mark + 1;
        equals = std::string_view::npos;
    }
}

}  // namespace line_scanner

// Calls onLine(ScannedLine) for each line SplitBindingLines yields, in order,
// with the "=" SplitBindingLine would cut it at, finding both in one pass. CR, LF
// and "=" count only where a character starts.
template <typename OnLine>
void ScanBindingLines(std::string_view text, const CodePage& codePage, OnLine&& onLine) {
    if (text.empty()) {
        return;
    }
    if (codePage.hasLeadBytes) {
        line_scanner::ScanWith(text, line_scanner::CharacterMarks(text, codePage), onLine);
    } else {
        line_scanner::ScanWith(text, line_scanner::BlockMarks(text), onLine);
    }
}

}  // namespace kio
