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

void SetFlag(RunState&, const CommandArgument& argument) { Flag[FlagIndex(argument.text)] = kTrue; }

void ResetFlag(RunState&, const CommandArgument& argument) { Flag[FlagIndex(argument.text)] = kFalse; }

void Branch(RunState& state, const CommandArgument& argument) {
    const char32_t label = Flag[FlagIndex(argument.text)] != 0 ? U'a' : U'b';
    const std::u32string& line = ScriptLine[state.LineNo];
    // The search starts at the "F" itself, so an index digit "a" or "b" can be the label.
    const size_t found = line.find(label, static_cast<size_t>(state.CharPos - 1));
    // With no label the rest of the line is skipped: the position after the last character
    // reads as the end-of-line mark.
    state.CharPos = Position(found == std::u32string::npos ? line.size() : found + 1);
}

void Jump(RunState& state, const CommandArgument& argument) {
    state.LineNo = static_cast<int16_t>(RoundedValue(argument.text, std::numeric_limits<int16_t>::min(),
                                                     std::numeric_limits<int16_t>::max(), "the jump target"));
    state.CharPos = 0;
}

void Chain(RunState& state, const CommandArgument& argument) {
    LoadScenario(std::u32string(argument.text));
    state.CharPos = 0;
    state.LineNo = 0;
    state.TextRow = Add16(state.TextRow, 1, "the text row");
    if (state.TextRow >= kRows) ClearRows(state);
    Crt.Cls();
}
