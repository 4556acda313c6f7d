#pragma once
// The web bundle's font: the player's Japanese face cut down to the characters a story shows, so
// the page loads in a moment instead of fetching six megabytes of glyphs.
#include <set>
#include <string>

// The name the cut-down face goes by. Its licence lets a changed font go out only under a name
// of its own (in the font and as its file name), so it is not the original's.
constexpr const char* kCutDownFontFamily = "Tessaro Story Gothic";
constexpr const char* kCutDownFontFile = "story-gothic.ttf";

// The font in fontBytes (a TrueType file) with only the glyphs of characters, hinting and metrics
// kept, and its names replaced by kCutDownFontFamily (its copyright and licence notes kept).
// Throws std::runtime_error when the font cannot be read or cut.
std::string CutDownFont(const std::string& fontBytes, const std::set<char32_t>& characters);
