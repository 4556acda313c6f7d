// Code page 932 both ways through iconv, which knows it with the NEC and IBM extensions.
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

std::u32string DecodeCp932(std::string_view bytes, std::vector<size_t>* invalid) {
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
        if (invalid != nullptr) invalid->push_back(static_cast<size_t>(in - bytes.data()));
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

bool EncodeCp932(std::u32string_view text, std::string& out, size_t& failedAt) {
    static iconv_t encoder = [] {
        iconv_t c = iconv_open("CP932", "UTF-32LE");
        if (c == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("CP932 conversion is not available");
        return c;
    }();
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        // One character at a time, so the one that fails is known.
        char in[4];
        for (int k = 0; k < 4; ++k) in[k] = static_cast<char>((text[i] >> (8 * k)) & 0xFF);
        char encoded[8];
        char* inPtr = in;
        char* outPtr = encoded;
        size_t inLeft = sizeof in, outLeft = sizeof encoded;
        iconv(encoder, nullptr, nullptr, nullptr, nullptr);
        if (iconv(encoder, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            text[i] == kReplacement) {
            failedAt = i;
            return false;
        }
        out.append(encoded, sizeof encoded - outLeft);
    }
    return true;
}
