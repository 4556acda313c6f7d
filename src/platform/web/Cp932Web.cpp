// Code page 932 into characters in the browser: the browser's own Shift_JIS decoder (Windows'
// code page 932 as web pages know it, with the NEC and IBM extensions) gives the table of every
// two-byte character once; invalid bytes are marked and stepped past one at a time, as on Linux.
#include <emscripten.h>

#include <vector>

#include "system/TextCodec.h"

// Fills table[(lead - 0x80) * 256 + trail] with the character of each valid two-byte code, or 0.
EM_JS(void, web_cp932_table, (uint32_t* table), {
    // Not "fatal": a decoder that throws on every invalid pair takes a good part of a second.
    const decoder = new TextDecoder("shift_jis");
    const pair = new Uint8Array(2);
    for (let lead = 0x81; lead <= 0xFC; lead++) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (let trail = 0x40; trail <= 0xFC; trail++) {
            if (trail == 0x7F) continue;
            pair[0] = lead; pair[1] = trail;
            const s = decoder.decode(pair);
            const p = s.codePointAt(0);
            const whole = s.length == (p > 0xFFFF ? 2 : 1);
            HEAPU32[(table >> 2) + (lead - 0x80) * 256 + trail] = whole && p != 0xFFFD ? p : 0;
        }
    }
});

namespace {

const std::vector<uint32_t>& DoubleByteTable() {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(128 * 256, 0);
        web_cp932_table(t.data());
        return t;
    }();
    return table;
}

char32_t Pair(unsigned char lead, unsigned char trail) {
    return lead >= 0x80 ? DoubleByteTable()[size_t(lead - 0x80) * 256 + trail] : 0;
}

}  // namespace

std::u32string DecodeCp932(std::string_view bytes, std::vector<size_t>* invalid) {
    return DecodeCp932Pairs(bytes, invalid, Pair);
}
