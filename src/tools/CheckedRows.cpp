#include "tools/CheckedRows.h"

#include "window/Crt.h"

namespace {

constexpr int kRowWidth = 280;  // from x = 15 to the box's inner right edge
// Measuring a whole row with the font costs a glyph load for each character; the sum of single
// characters' widths (each measured once) is exact for this face to within a few pixels, so only
// rows that come near the edge are measured whole.
constexpr int kMargin = 24;
// Characters of no width could grow a row without end; a row this long is past any box.
constexpr uint32_t kLongestRow = 4096;

uint64_t KeyOf(CheckedRows::Id before, char32_t ch, size_t line, size_t index) {
    uint64_t key = before;
    for (const uint64_t part : {uint64_t(ch), uint64_t(line), uint64_t(index)}) key = key * 0x9E3779B97F4A7C15u ^ part;
    return key;
}

}  // namespace

CheckedRows::CheckedRows() { links.push_back({kEmpty, 0, 0, 0, 0, 0, false}); }

int CheckedRows::Width(char32_t ch) {
    auto known = single.find(ch);
    if (known == single.end()) known = single.emplace(ch, Crt.TextWidth(std::u32string_view(&ch, 1))).first;
    return known->second;
}

std::u32string CheckedRows::Text(Id row) const {
    std::u32string text(links[row].depth, U' ');
    for (Id at = row; at != kEmpty; at = links[at].before) text[links[at].depth - 1] = links[at].ch;
    return text;
}

CheckedRows::Id CheckedRows::Append(Id row, char32_t ch, size_t line, size_t index) {
    const Link& before = links[row];
    if (before.tooWide || before.depth >= kLongestRow) return row;
    std::vector<Id>& same = byKey[KeyOf(row, ch, line, index)];
    for (const Id id : same)
        if (links[id].before == row && links[id].ch == ch && links[id].line == line && links[id].index == index)
            return id;
    Link link{row, ch, uint32_t(line), uint32_t(index), before.estimate + Width(ch), before.depth + 1, false};
    const Id id = Id(links.size());
    links.push_back(link);
    if (link.estimate + kMargin >= kRowWidth) links[id].tooWide = Crt.TextWidth(Text(id)) > kRowWidth;
    same.push_back(id);
    return id;
}

bool CheckedRows::TooWide(Id row, size_t& line, size_t& index) const {
    if (!links[row].tooWide) return false;
    line = links[row].line;
    index = links[row].index;
    return true;
}
