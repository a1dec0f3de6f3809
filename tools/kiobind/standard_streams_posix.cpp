#include <cstdio>

#include "standard_streams.h"

namespace kio::kiobind {

bool WriteStandard(StandardStream stream, std::string_view utf8) {
    std::FILE* file = stream == StandardStream::Output ? stdout : stderr;
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size();
    return std::fflush(file) == 0 && written && std::ferror(file) == 0;
}

}  // namespace kio::kiobind
