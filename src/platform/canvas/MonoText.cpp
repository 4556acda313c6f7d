#include "platform/canvas/MonoText.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

FT_Library library = nullptr;
FT_Face face = nullptr;
int sizeSet = 0;

constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO;

int Floor(long v) { return static_cast<int>((v & -64) / 64); }
int Ceil(long v) { return static_cast<int>(((v + 63) & -64) / 64); }

bool UseSize(int pixelSize) {
    if (face == nullptr) return false;
    if (sizeSet == pixelSize) return true;
    if (FT_Set_Char_Size(face, 0, pixelSize * 64, 0, 0) != 0) return false;
    sizeSet = pixelSize;
    return true;
}

// One glyph as FreeType gives it at one size: its hinted advance (16.16), its bitmap's place and
// its bits. Loading and rendering a glyph runs the font's hinting program each time, and the page
// wait draws the same rows ten times a second, so each glyph is made once per size and kept.
struct Glyph {
    bool usable = false;  // false: FreeType could not load or render it, and the line skips it
    FT_Fixed advance = 0;
    int left = 0, top = 0, width = 0, rows = 0, pitch = 0;
    std::vector<uint8_t> bits;
};

// A story shows a few thousand different characters at most; past this the keeping starts again.
constexpr size_t kMaxKeptGlyphs = 8192;
std::unordered_map<uint64_t, Glyph> keptGlyphs;

const Glyph& GlyphOf(char32_t c) {
    const uint64_t key = (static_cast<uint64_t>(sizeSet) << 32) | static_cast<uint64_t>(c);
    if (const auto found = keptGlyphs.find(key); found != keptGlyphs.end()) return found->second;
    Glyph& g = keptGlyphs[key];
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (FT_Load_Glyph(face, index, kLoadFlags) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    FT_Get_Advance(face, index, kLoadFlags, &g.advance);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return g;
    g.usable = true;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(slot->bitmap.width);
    g.rows = g.width == 0 ? 0 : static_cast<int>(slot->bitmap.rows);
    g.pitch = slot->bitmap.pitch;
    if (g.rows > 0) g.bits.assign(slot->bitmap.buffer, slot->bitmap.buffer + static_cast<size_t>(g.pitch) * g.rows);
    return g;
}

// One glyph placed on a line: the pen position (26.6) it starts at.
struct Placed {
    long penX = 0;
    const Glyph* glyph = nullptr;
};

struct Line {
    std::vector<Placed> glyphs;
    int xStart = 0, yStart = 0, width = 0, height = 0, ascent = 0;
};

// Lays a line out: each glyph's hinted advance moves the pen, and the box holds every glyph and
// at least the font's height, moved right or down when a glyph reaches past its left or top.
Line LayOut(std::u32string_view text) {
    Line line;
    const FT_Fixed scale = face->size->metrics.y_scale;
    line.ascent = Ceil(FT_MulFix(face->ascender, scale));
    const int fontHeight = Ceil(FT_MulFix(face->ascender - face->descender, scale));
    int minX = 0, maxX = 0, minY = 0, maxY = fontHeight;
    long x = 0;
    // Emptied only here, never while a line points into it.
    if (keptGlyphs.size() + text.size() > kMaxKeptGlyphs) keptGlyphs.clear();
    line.glyphs.reserve(text.size());
    for (const char32_t c : text) {
        if (c == 0xFEFF || c == 0xFFFE) continue;
        const Glyph& g = GlyphOf(c);
        if (!g.usable) continue;
        line.glyphs.push_back(Placed{x, &g});
        // Advances come hinted, in 16.16 from FreeType; the pen moves in 26.6.
        x += static_cast<long>((g.advance + (1 << 9)) >> 10);
        const int px = Floor(line.glyphs.back().penX) + g.left;
        const int py = line.ascent - g.top;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px + g.width);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py + g.rows);
    }
    maxX = std::max(maxX, Floor(x));
    line.xStart = minX < 0 ? -minX : 0;
    line.yStart = minY < 0 ? -minY : 0;
    line.width = maxX - minX;
    line.height = maxY - minY;
    return line;
}

}  // namespace

std::string OpenMonoFace(const std::string& path) {
    if (face != nullptr) return "";
    if (library == nullptr && FT_Init_FreeType(&library) != 0) return "Cannot start the font renderer";
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        face = nullptr;
        return "Cannot open the font " + path;
    }
    // A Unicode map, as the desktop's renderer picks.
    for (int i = 0; i < face->num_charmaps; ++i) {
        const FT_CharMap map = face->charmaps[i];
        if ((map->platform_id == 3 && (map->encoding_id == 1 || map->encoding_id == 10)) || map->platform_id == 0) {
            FT_Set_Charmap(face, map);
            break;
        }
    }
    return "";
}

void PrintMono(Image& image, int x, int y, std::u32string_view text, const ImageRect& clip,
               int pixelSize, uint32_t rgb) {
    if (text.empty() || !UseSize(pixelSize)) return;
    const Line line = LayOut(text);
    if (line.width == 0) return;
    const int left = std::max({0, clip.x, x}), top = std::max({0, clip.y, y});
    const int right = std::min({image.Width(), clip.x + clip.w, x + line.width});
    const int bottom = std::min({image.Height(), clip.y + clip.h, y + line.height});
    for (const Placed& placed : line.glyphs) {
        const Glyph& g = *placed.glyph;
        const int gx = x + line.xStart + Floor(placed.penX) + g.left;
        const int gy = y + line.yStart + line.ascent - g.top;
        for (int row = 0; row < g.rows; ++row) {
            const int py = gy + row;
            if (py < top || py >= bottom) continue;
            const uint8_t* bits = g.bits.data() + static_cast<ptrdiff_t>(row) * g.pitch;
            uint32_t* out = image.Row(py);
            for (int col = 0; col < g.width; ++col) {
                const int px = gx + col;
                if (px < left || px >= right) continue;
                if ((bits[col >> 3] & (0x80 >> (col & 7))) != 0) out[px] = rgb;
            }
        }
    }
}

int MonoTextWidth(std::u32string_view text, int pixelSize) {
    if (text.empty() || !UseSize(pixelSize)) return 0;
    return LayOut(text).width;
}

int MonoLineHeight(int pixelSize) {
    if (!UseSize(pixelSize)) return 0;
    return Ceil(FT_MulFix(face->ascender - face->descender, face->size->metrics.y_scale));
}
