#include "script/Steering.h"

#include <limits>

#include "script/Arguments.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "window/Crt.h"

int16_t Flag[256] = {};

namespace {

constexpr int16_t kLargestPosition = std::numeric_limits<int16_t>::max();

// A 1-based position in a line as the character counter holds it.
int16_t Position(size_t position) {
    if (position > size_t(kLargestPosition)) throw Overflow("the character position passes 32767");
    return static_cast<int16_t>(position);
}

}  // namespace

void SetFlag(RunState& state) {
    Flag[FlagIndex(NextChars(state, 2))] = kTrue;
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}

void ResetFlag(RunState& state) {
    Flag[FlagIndex(NextChars(state, 2))] = kFalse;
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}

void Branch(RunState& state) {
    const char32_t label = Flag[FlagIndex(NextChars(state, 2))] != 0 ? U'a' : U'b';
    const std::u32string& line = ScriptLine[state.LineNo];
    // The search starts at the "F" itself, so an index digit "a" or "b" can be the label.
    const size_t found = line.find(label, static_cast<size_t>(state.CharPos - 1));
    // With no label the rest of the line is skipped: the position after the last character
    // reads as the end-of-line mark.
    state.CharPos = Position(found == std::u32string::npos ? line.size() : found + 1);
}

void Jump(RunState& state) {
    state.LineNo = static_cast<int16_t>(RoundedValue(NextChars(state, 3), std::numeric_limits<int16_t>::min(),
                                                     std::numeric_limits<int16_t>::max(), "the jump target"));
    state.CharPos = 0;
}

void Chain(RunState& state) {
    LoadScenario(NextChars(state, 2));
    state.CharPos = 0;
    state.LineNo = 0;
    state.TextRow = Add16(state.TextRow, 1, "the text row");
    if (state.TextRow >= kRows) ClearRows(state);
    Crt.Cls();
}
