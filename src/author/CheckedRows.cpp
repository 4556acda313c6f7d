#include "author/CheckedRows.h"

#include "script/Rows.h"
#include "window/Crt.h"

namespace {

// Measuring a whole row with the font costs a glyph load for each character; the sum of single
// characters' widths (each measured once) is exact for this face to within a few pixels, so only
// rows that come near the edge are measured whole.
constexpr int kMargin = 24;
// Characters of no width could grow a row without end; a row this long is past any box.
constexpr uint32_t kLongestRow = 4096;

}  // namespace

CheckedRows::CheckedRows() {
    links.push_back({kEmpty, 0, 0, 0});
    links.push_back({kPastTheEdge, 0, 0, 0});
}

int CheckedRows::Width(char32_t ch) {
    auto known = single.find(ch);
    if (known == single.end()) known = single.emplace(ch, Crt.TextWidth(std::u32string_view(&ch, 1))).first;
    return known->second;
}

std::u32string CheckedRows::Text(const Link& last) const {
    std::u32string text(last.depth, U' ');
    text[last.depth - 1] = last.ch;
    for (Id at = last.before; at != kEmpty; at = links[at].before) text[links[at].depth - 1] = links[at].ch;
    return text;
}

CheckedRows::Id CheckedRows::Append(Id row, char32_t ch) {
    if (row == kPastTheEdge) return row;
    const Link& before = links[row];
    if (before.depth >= kLongestRow) return kPastTheEdge;
    const uint64_t key = uint64_t(row) << 32 | ch;
    if (auto known = byKey.find(key); known != byKey.end()) return known->second;
    const Link link{row, ch, before.estimate + Width(ch), before.depth + 1};
    const bool past = link.estimate + kMargin >= kRowWidth && Crt.TextWidth(Text(link)) > kRowWidth;
    Id id = kPastTheEdge;
    if (!past) {
        id = Id(links.size());
        links.push_back(link);
    }
    byKey.emplace(key, id);
    return id;
}
