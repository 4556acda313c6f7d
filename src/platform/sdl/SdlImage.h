#pragma once
// The SDL surface behind an image, for the SDL window.
#include "system/Image.h"

struct SDL_Surface;

SDL_Surface* SurfaceOf(const Image& image);
