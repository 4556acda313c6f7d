// Code page 932 through Windows' own tables. Windows reads some bytes that are not characters of
// the code page (0x80, 0xA0, 0xFD to 0xFF) as private characters; they are invalid here, as on
// every other machine, so a scenario reads the same everywhere.
#include <windows.h>

#include "system/TextCodec.h"
#include "platform/win32/WideText.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

char32_t Pair(unsigned char lead, unsigned char trail) {
    if (!LeadByte(lead) || !TrailByte(trail)) return 0;
    const char bytes[2] = {char(lead), char(trail)};
    wchar_t c = 0;
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, &c, 1) == 1 ? char32_t(c) : 0;
}

}  // namespace

std::u32string DecodeCp932(std::string_view bytes, std::vector<size_t>* invalid) {
    return DecodeCp932Pairs(bytes, invalid, Pair);
}

bool EncodeCp932(std::u32string_view text, std::string& out, size_t& failedAt) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        // One character at a time, so the one that fails is known; no "best fit" stand-ins.
        const std::wstring wide = Widen(text.substr(i, 1));
        char encoded[8];
        BOOL usedDefault = FALSE;
        const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), encoded,
                                               sizeof encoded, nullptr, &usedDefault);
        if (length <= 0 || usedDefault || text[i] == kReplacement) {
            failedAt = i;
            return false;
        }
        out.append(encoded, size_t(length));
    }
    return true;
}
