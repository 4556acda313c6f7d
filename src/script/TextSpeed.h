#pragma once
// How fast the story's text types: the pause after each character and command, which the reader
// may choose at start-up. Pauses the story asks for ("T") keep their length.
#include <cstdint>
#include <optional>
#include <string>

enum class TextSpeed { Slow, Normal, Fast, Instant };

// "slow", "normal", "fast" or "instant"; nothing for any other word.
std::optional<TextSpeed> TextSpeedNamed(const std::string& name);

void SetTextSpeed(TextSpeed speed);

// The pause after each step in milliseconds: 15 at the normal speed; negative (no pause, one
// message pump) when instant.
int32_t CharacterPauseMs();

// The speed set last.
TextSpeed CurrentTextSpeed();

// The next speed towards instant (faster) or slow; the fastest and the slowest stay where they are.
TextSpeed NextTextSpeed(TextSpeed speed, bool faster);

// What the reader's note calls it ("はやい").
const char32_t* TextSpeedNote(TextSpeed speed);
