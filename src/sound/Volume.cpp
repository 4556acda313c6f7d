#include "sound/Volume.h"

#include "system/Platform.h"

namespace {

int chosen = 100;
bool muted = false;

}  // namespace

void SetStoryVolume(int percent) {
    chosen = percent;
    muted = false;
    System().SetVolume(chosen);
}

bool ToggleMute() {
    muted = !muted;
    System().SetVolume(muted ? 0 : chosen);
    return muted;
}

bool Muted() { return muted; }
