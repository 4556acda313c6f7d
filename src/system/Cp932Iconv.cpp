// Code page 932 through iconv, which knows it with the NEC and IBM extensions.
#include "system/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One converter for the whole run: opening iconv costs more than converting a scenario file.
iconv_t Cp932Converter() {
    static iconv_t converter = [] {
        iconv_t c = iconv_open("UTF-32LE", "CP932");
        if (c == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("CP932 conversion is not available");
        return c;
    }();
    return converter;
}

}  // namespace

std::u32string DecodeCp932(std::string_view bytes) {
    iconv_t converter = Cp932Converter();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);

    std::u32string result;
    result.reserve(bytes.size());
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = out.data();
        size_t outLeft = out.size();
        const size_t done = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        const size_t produced = out.size() - outLeft;
        for (size_t i = 0; i + 3 < produced; i += 4) {
            const auto b = [&](size_t k) { return char32_t(static_cast<unsigned char>(out[i + k])); };
            result.push_back(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
        }
        if (done != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // An invalid or incomplete sequence: mark it and step past its first byte.
        result.push_back(kReplacement);
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}
