#include "script/TextSpeed.h"

namespace {

struct NamedSpeed {
    const char* name;
    TextSpeed speed;
    int32_t pauseMs;
};

// Normal is the pace stories are written for.
constexpr NamedSpeed kSpeeds[] = {
    {"slow", TextSpeed::Slow, 30},
    {"normal", TextSpeed::Normal, 15},
    {"fast", TextSpeed::Fast, 5},
    {"instant", TextSpeed::Instant, -1},
};

int32_t pauseMs = 15;

}  // namespace

std::optional<TextSpeed> TextSpeedNamed(const std::string& name) {
    for (const NamedSpeed& speed : kSpeeds)
        if (name == speed.name) return speed.speed;
    return std::nullopt;
}

void SetTextSpeed(TextSpeed speed) {
    for (const NamedSpeed& named : kSpeeds)
        if (named.speed == speed) pauseMs = named.pauseMs;
}

int32_t CharacterPauseMs() { return pauseMs; }
