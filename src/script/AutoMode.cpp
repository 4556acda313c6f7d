#include "script/AutoMode.h"

namespace {

constexpr int64_t kAutoPageMs = 1500, kAutoCharacterMs = 80;

bool on = false;

}  // namespace

void SetAutoMode(bool turnedOn) { on = turnedOn; }

bool AutoMode() { return on; }

int64_t AutoPageMs(const RunState& state) {
    int64_t characters = 0;
    for (int i = 0; i < kRows; ++i) characters += int64_t(state.TextLine[i].size());
    return kAutoPageMs + kAutoCharacterMs * characters;
}
