#pragma once
// The client image put on SDL's window surface larger (system/Scaling.h says how it is placed).
#include <SDL.h>

#include "system/Scaling.h"

// Copies part of source, each pixel made a scale x scale block, to where it lies on target
// under placement; whatever falls outside target is cut off. Returns the rectangle of target
// that was painted.
SDL_Rect PutScaled(SDL_Surface* source, const SDL_Rect& part, SDL_Surface* target, const Placement& placement);
