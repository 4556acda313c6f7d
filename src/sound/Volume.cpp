#include "sound/Volume.h"

#include <algorithm>

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

int StoryVolume() { return chosen; }

int ChangeStoryVolume(int step) {
    SetStoryVolume(std::clamp(chosen + step, 0, 100));
    return chosen;
}
