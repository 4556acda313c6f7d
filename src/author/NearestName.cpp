#include "author/NearestName.h"

#include <algorithm>
#include <cctype>

namespace {

// Edits to turn a into b, in halves: a change of letter case alone costs 1, any other 2.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = 2 * j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = 2 * i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const char x = a[i - 1], y = b[j - 1];
            const size_t change = x == y ? 0 : std::tolower(static_cast<unsigned char>(x)) ==
                                                           std::tolower(static_cast<unsigned char>(y))
                                                   ? 1
                                                   : 2;
            const size_t best = std::min({row[j] + 2, row[j - 1] + 2, diagonal + change});
            diagonal = row[j];
            row[j] = best;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string NearestName(const std::string& name, const std::vector<std::string>& candidates) {
    std::string nearest;
    // In halves: a third of its letters, one at least.
    size_t best = std::max<size_t>(2, 2 * name.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const size_t distance = Distance(name, candidate);
        if (distance < best && candidate != name) best = distance, nearest = candidate;
    }
    return nearest;
}
