#include <iconv.h>

#include <cerrno>
#include <string>

#include "system_utf16.h"

namespace kioedit {
namespace {

class Converter {
public:
    explicit Converter(const char* target) : handle_(iconv_open(target, "UTF-16LE")) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

// glibc's names of the Windows code pages.
const char* IconvName(uint32_t codePageId) {
    switch (codePageId) {
        case 1252: return "CP1252";
        case 932: return "CP932";
        case 936: return "CP936";
        case 949: return "CP949";
        case 950: return "CP950";
        default: return nullptr;
    }
}

}  // namespace

Utf16Conversion SystemUtf16ToCodePage(std::u16string_view text, uint32_t codePageId) {
    Utf16Conversion result;
    const char* name = IconvName(codePageId);
    if (name == nullptr) {
        return result;
    }
    const Converter converter(name);
    if (!converter.IsOpen()) {
        return result;
    }
    std::string input(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        input[2 * i] = static_cast<char>(text[i] & 0xFF);
        input[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    // Every character of these code pages takes at most two bytes.
    std::string output(text.size() * 2, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    if (iconv(converter.Handle(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
        result.failedUnit = static_cast<size_t>(in - input.data()) / 2;
        return result;
    }
    output.resize(output.size() - outLeft);
    result.ok = true;
    result.bytes = std::move(output);
    return result;
}

}  // namespace kioedit
