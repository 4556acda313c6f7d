#pragma once
// The message box rows the checker's states type, shared between them: a row is a chain of
// characters back to the empty row, each link held once however many states have typed it, so
// that a state costs the same whatever its row holds. A row that runs past the box's right edge
// becomes the one row kPastTheEdge: nothing typed after that changes what is found, and the
// states that differ only in how they got there become one.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CheckedRows {
public:
    using Id = uint32_t;
    static constexpr Id kEmpty = 0;
    static constexpr Id kPastTheEdge = 1;

    CheckedRows();

    // The row `row` with ch typed after it; kPastTheEdge once ch takes it past the right edge.
    Id Append(Id row, char32_t ch);

private:
    struct Link {
        Id before;
        char32_t ch;
        int estimate;    // the sum of its characters' own widths
        uint32_t depth;  // characters in the row
    };
    std::u32string Text(const Link& last) const;
    int Width(char32_t ch);

    std::vector<Link> links;
    std::unordered_map<uint64_t, Id> byKey;  // (before, ch)
    std::unordered_map<char32_t, int> single;
};
