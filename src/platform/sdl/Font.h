#pragma once
// The picture area's font: a Japanese gothic face at 12 pixels, rendered without smoothing.
#include <string>

typedef struct _TTF_Font TTF_Font;

// Opens the font once and returns it; throws RunTimeError naming what was tried when none is found.
TTF_Font* JapaneseFont();

// The same face at another pixel size (the message box's), opened once per size; the same error.
TTF_Font* JapaneseFontOfSize(int pixelSize);
