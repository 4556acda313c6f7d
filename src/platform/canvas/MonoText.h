#pragma once
// Text in the Japanese gothic face without smoothing, drawn straight from FreeType into our own
// 32-bit rows. It places glyphs exactly as the Linux build's text renderer does with its font at
// mono hinting (hinted advances, the line's box grown for glyphs reaching above the ascent), so
// that a row of text comes out with the same pixels on both machines.
#include <cstdint>
#include <string>
#include <string_view>

#include "system/Image.h"

// Opens the face from a font file once; an empty string on success, else what went wrong.
std::string OpenMonoFace(const std::string& path);

// Paints text with its box's top-left corner at (x, y) in colour rgb, only inside clip and the
// image. Does nothing when no face is open.
void PrintMono(Image& image, int x, int y, std::u32string_view text, const ImageRect& clip,
               int pixelSize, uint32_t rgb);

// The width of the box PrintMono gives text, and the height of a line at that size.
int MonoTextWidth(std::u32string_view text, int pixelSize);
int MonoLineHeight(int pixelSize);
