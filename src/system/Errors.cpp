#include "system/Errors.h"

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0 when there is none.
size_t Utf8SequenceAt(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string PrintableName(const std::string& name) {
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (size_t at = 0; at < name.size();) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += name[at++];
        } else if (const size_t length = byte >= 0x80 ? Utf8SequenceAt(name, at) : 0) {
            shown += name.substr(at, length);
            at += length;
        } else {
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
            ++at;
        }
    }
    return shown;
}

RunTimeError FileNotFound(const std::string& path) {
    return RunTimeError("File not found: " + PrintableName(path));
}

RunTimeError FileUnreadable(const std::string& path, const std::string& why) {
    return RunTimeError("Cannot read file: " + PrintableName(path) + " (" + why + ")");
}

RunTimeError FileTooLarge(const std::string& path, size_t cap) {
    return RunTimeError("File too large: " + PrintableName(path) + " (more than " +
                        std::to_string(cap >> 20) + " MiB)");
}

RunTimeError InvalidPicture(const std::string& path, const std::string& why) {
    return RunTimeError("Invalid picture: " + PrintableName(path) + " (" + why + ")");
}

RunTimeError SubscriptOutOfRange(const std::string& what) {
    return RunTimeError("Subscript out of range: " + what);
}

RunTimeError Overflow(const std::string& what) { return RunTimeError("Overflow: " + what); }
