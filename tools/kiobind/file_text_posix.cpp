#include <iconv.h>

#include "file_text.h"

namespace kiobind {
namespace {

class Decoder {
public:
    explicit Decoder(const char* source) : handle_(iconv_open("UTF-8", source)) {}
    ~Decoder() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

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

std::optional<std::string> DecodeCodePage(std::string_view bytes, uint32_t codePageId) {
    const char* name = IconvName(codePageId);
    if (name == nullptr) {
        return std::nullopt;
    }
    const Decoder decoder(name);
    if (!decoder.IsOpen()) {
        return std::nullopt;
    }
    std::string input(bytes);
    // One byte of these code pages becomes at most three of UTF-8.
    std::string output(bytes.size() * 3, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    if (iconv(decoder.Handle(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) ||
        inLeft != 0) {
        return std::nullopt;
    }
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace kiobind
