#include "system/MessageBoxLayout.h"

#include <algorithm>

namespace {

// The box at scale 1, in pixels.
constexpr int kFontPixels = 12;
constexpr int kLineGap = 4;
constexpr int kMargin = 16;
constexpr int kMinTextWidth = 160;
constexpr int kMaxTextWidth = 460;
constexpr int kButtonWidth = 80, kButtonHeight = 24;
constexpr int kTextToButton = 16;
constexpr int kBottomMargin = 12;

// The length of the UTF-8 character that starts with byte c.
size_t CharLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

void WrapLine(const std::string& line, int maxWidth, const TextWidth& measure,
              std::vector<std::string>& out) {
    std::string rest = line;
    while (measure(rest) > maxWidth) {
        // The longest run of whole characters that fits, at least one.
        size_t fits = 0, lastBreak = 0;
        for (size_t i = 0; i < rest.size();) {
            const size_t next = std::min(rest.size(), i + CharLength(static_cast<unsigned char>(rest[i])));
            if (fits > 0 && measure(rest.substr(0, next)) > maxWidth) break;
            if (rest[i] == ' ' || rest[i] == '/') lastBreak = next;
            fits = i = next;
        }
        const size_t cut = lastBreak > 0 ? lastBreak : fits;
        if (cut >= rest.size()) break;
        std::string head = rest.substr(0, cut);
        while (!head.empty() && head.back() == ' ') head.pop_back();
        out.push_back(head);
        rest = rest.substr(cut);
    }
    out.push_back(rest);
}

}  // namespace

int MessageBoxFontPixels(int scale) { return kFontPixels * scale; }

std::vector<std::string> WrapText(const std::string& text, int maxWidth, const TextWidth& measure) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        WrapLine(text.substr(start, end == std::string::npos ? std::string::npos : end - start),
                 maxWidth, measure, lines);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

MessageBoxLayout LayOutMessageBox(const std::string& text, int scale, const TextWidth& measure) {
    MessageBoxLayout layout;
    layout.fontPixels = MessageBoxFontPixels(scale);
    layout.lines = WrapText(text, kMaxTextWidth * scale, measure);
    layout.lineHeight = (kFontPixels + kLineGap) * scale;
    int textWidth = kMinTextWidth * scale;
    for (const std::string& line : layout.lines) textWidth = std::max(textWidth, measure(line));
    layout.width = textWidth + 2 * kMargin * scale;
    layout.textLeft = kMargin * scale;
    layout.textTop = kMargin * scale;
    const int textHeight = static_cast<int>(layout.lines.size()) * layout.lineHeight;
    layout.button = {(layout.width - kButtonWidth * scale) / 2,
                     layout.textTop + textHeight + kTextToButton * scale, kButtonWidth * scale,
                     kButtonHeight * scale};
    layout.height = layout.button.y + layout.button.h + kBottomMargin * scale;
    return layout;
}

BoxRect CentreOver(const BoxRect& owner, int width, int height, const BoxRect& screen) {
    BoxRect placed{owner.x + (owner.w - width) / 2, owner.y + (owner.h - height) / 2, width, height};
    // Inside the screen where it fits; a box larger than the screen keeps its top-left corner on it.
    placed.x = std::max(screen.x, std::min(placed.x, screen.x + screen.w - width));
    placed.y = std::max(screen.y, std::min(placed.y, screen.y + screen.h - height));
    return placed;
}
