#pragma once
// The story's truth values, as flags, the music's loop switch and the cursor's phase hold them:
// 16-bit, True is -1, tested as non-zero.
#include <cstdint>

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;
