// The loader's lines as a plain range: the non-empty lines of a text, split the
// way the loader splits them. The reference loop and the tests read files
// through it, to check the loader's fast scan against a simple one.
#pragma once

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string_view>

#include "code_page.h"
#include "line_scanner.h"

namespace kio::binding {

// The non-empty lines of a text, in order, as views into it. CR and LF end a
// line unless they are the second byte of a double-byte character.
class BindingLines {
public:
    class Iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(const BindingLines* lines, size_t position);

        std::string_view operator*() const { return line_; }
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(std::default_sentinel_t) const { return lines_ == nullptr; }
        bool operator==(const Iterator& other) const {
            return lines_ == other.lines_ && line_.data() == other.line_.data();
        }

    private:
        void Advance(size_t position);

        const BindingLines* lines_ = nullptr;
        std::string_view line_;
        size_t next_ = 0;
    };

    BindingLines(std::string_view text, const CodePage& codePage)
        : text_(text), codePage_(&codePage) {}

    Iterator begin() const { return Iterator(this, 0); }
    std::default_sentinel_t end() const { return {}; }

private:
    size_t LineEnd(size_t start) const;

    std::string_view text_;
    const CodePage* codePage_;
};

inline BindingLines SplitBindingLines(std::string_view text, const CodePage& codePage) {
    return BindingLines(text, codePage);
}

inline BindingLines::Iterator::Iterator(const BindingLines* lines, size_t position)
    : lines_(lines) {
    Advance(position);
}

inline BindingLines::Iterator& BindingLines::Iterator::operator++() {
    Advance(next_);
    return *this;
}

inline void BindingLines::Iterator::Advance(size_t position) {
    const std::string_view text = lines_->text_;
    // CR and LF are never lead bytes, so a break at a character start is a break.
    while (position < text.size() && IsLineBreak(text[position])) {
        ++position;
    }
    if (position == text.size()) {
        lines_ = nullptr;
        line_ = {};
        return;
    }
    const size_t end = lines_->LineEnd(position);
    line_ = text.substr(position, end - position);
    next_ = end;
}

inline size_t BindingLines::LineEnd(size_t start) const {
    if (!codePage_->hasLeadBytes) {
        const char* begin = text_.data() + start;
        const char* const textEnd = text_.data() + text_.size();
        const void* lf = std::memchr(begin, '\n', static_cast<size_t>(textEnd - begin));
        const char* limit = lf ? static_cast<const char*>(lf) : textEnd;
        const void* cr = std::memchr(begin, '\r', static_cast<size_t>(limit - begin));
        return static_cast<size_t>((cr ? static_cast<const char*>(cr) : limit) - text_.data());
    }
    size_t position = start;
    while (position < text_.size() && !IsLineBreak(text_[position])) {
        position += codePage_->CharacterLength(text_, position);
    }
    return position;
}

}  // namespace kio::binding
