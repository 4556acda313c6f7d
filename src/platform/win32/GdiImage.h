#pragma once
// The GDI device context that an image's pixels are selected into, for painting the window.
#include <windows.h>

#include "system/Image.h"

HDC DeviceContextOf(const Image& image);

// A new icon of the image's pixels, all opaque; nullptr when Windows cannot make one.
HICON IconOf(const Image& image);
