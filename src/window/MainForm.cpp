#include "window/MainForm.h"

#include <SDL.h>

#include <limits>

#include "system/Errors.h"
#include "system/Platform.h"
#include "window/Crt.h"
#include "window/Icon.h"

int ScreenWidth = 0;
int ScreenHeight = 0;

namespace {
constexpr int kBorder = 2;
}

void MainForm_Load() {
    Crt.Open(ScreenWidth, ScreenHeight);
    SDL_Surface* icon = WindowIcon();
    const std::string error =
        System().OpenWindow("Velmarin", ScreenWidth + 2 * kBorder, ScreenHeight + 2 * kBorder, icon);
    SDL_FreeSurface(icon);
    if (!error.empty()) throw RunTimeError(error);
    Crt.Refresh();
}

void MainForm_Unload() { throw ProgramEnd{0}; }

void RunDueTimers() {}

int64_t NextTimerDue() { return std::numeric_limits<int64_t>::max(); }
