#pragma once
// The window's 32 x 32, 256-colour icon, drawn here: a night sky with a moon above a message box.
struct SDL_Surface;

// A new surface the caller frees; nullptr if it cannot be made.
SDL_Surface* WindowIcon();
