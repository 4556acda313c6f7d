#include "script/TextSpeed.h"

#include <algorithm>
#include <iterator>

namespace {

struct NamedSpeed {
    const char* name;
    TextSpeed speed;
    int32_t pauseMs;
    const char32_t* note;
};

// Normal is the pace stories are written for. Slowest first.
constexpr NamedSpeed kSpeeds[] = {
    {"slow", TextSpeed::Slow, 30, U"文字の速さ：ゆっくり"},
    {"normal", TextSpeed::Normal, 15, U"文字の速さ：ふつう"},
    {"fast", TextSpeed::Fast, 5, U"文字の速さ：はやい"},
    {"instant", TextSpeed::Instant, -1, U"文字の速さ：すぐ"},
};

int32_t pauseMs = 15;
TextSpeed current = TextSpeed::Normal;

}  // namespace

std::optional<TextSpeed> TextSpeedNamed(const std::string& name) {
    for (const NamedSpeed& speed : kSpeeds)
        if (name == speed.name) return speed.speed;
    return std::nullopt;
}

void SetTextSpeed(TextSpeed speed) {
    for (const NamedSpeed& named : kSpeeds)
        if (named.speed == speed) pauseMs = named.pauseMs;
    current = speed;
}

TextSpeed CurrentTextSpeed() { return current; }

TextSpeed NextTextSpeed(TextSpeed speed, bool faster) {
    constexpr int kLast = int(std::size(kSpeeds)) - 1;
    for (int i = 0; i <= kLast; ++i)
        if (kSpeeds[i].speed == speed) return kSpeeds[faster ? std::min(i + 1, kLast) : std::max(i - 1, 0)].speed;
    return speed;
}

const char32_t* TextSpeedNote(TextSpeed speed) {
    for (const NamedSpeed& named : kSpeeds)
        if (named.speed == speed) return named.note;
    return U"";
}

int32_t CharacterPauseMs() { return pauseMs; }
