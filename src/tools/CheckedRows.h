#pragma once
// The message box rows the checker's states type, shared between them: a row is a chain of
// characters back to the empty row, each link held once however many states have typed it, so
// that a state costs the same whatever its row holds. A row grows only up to the character that
// takes it past the box's right edge: nothing typed after that changes what is found.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CheckedRows {
public:
    using Id = uint32_t;
    static constexpr Id kEmpty = 0;

    CheckedRows();

    // The row `row` with ch typed after it, ch standing at (line, index) of the script.
    Id Append(Id row, char32_t ch, size_t line, size_t index);

    // Whether the row runs past the box's right edge: true with the (line, index) of the first
    // character that does.
    bool TooWide(Id row, size_t& line, size_t& index) const;

private:
    struct Link {
        Id before;
        char32_t ch;
        uint32_t line, index;
        int estimate;   // the sum of its characters' own widths
        uint32_t depth; // characters in the row
        bool tooWide;   // this character takes the row past the edge; nothing is added after it
    };
    std::u32string Text(Id row) const;
    int Width(char32_t ch);

    std::vector<Link> links;
    std::unordered_map<uint64_t, std::vector<Id>> byKey;  // hashed (before, ch, line, index)
    std::unordered_map<char32_t, int> single;
};
