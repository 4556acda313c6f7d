#include "system/TextCodec.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u32string FromUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        // Only the shortest form of a character counts, and no surrogate or value past U+10FFFF:
        // the bounds of the second byte rule out the rest ("C0 AF" is not "/").
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        bool valid = length > 0 && i + length <= text.size();
        if (valid && length > 1) valid = byte(i + 1) >= low && byte(i + 1) <= high;
        for (size_t k = 2; valid && k < length; ++k) valid = (byte(i + k) & 0xC0) == 0x80;
        if (!valid) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) c = c << 6 | (byte(i + k) & 0x3F);
        out.push_back(c);
        i += length;
    }
    return out;
}

std::u32string DecodeCp932Pairs(std::string_view bytes, std::vector<size_t>* invalid, Cp932Pair pair) {
    std::u32string result;
    result.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            result.push_back(lead);
            ++i;
        } else if (lead >= 0xA1 && lead <= 0xDF) {  // half-width katakana
            result.push_back(0xFF61 + (lead - 0xA1));
            ++i;
        } else if (const char32_t c = i + 1 < bytes.size() ? pair(lead, static_cast<unsigned char>(bytes[i + 1])) : 0;
                   c != 0) {
            result.push_back(c);
            i += 2;
        } else {  // an invalid or incomplete sequence: marked, and stepped past its first byte
            result.push_back(kReplacement);
            if (invalid != nullptr) invalid->push_back(i);
            ++i;
        }
    }
    return result;
}
