#include "script/Commands.h"

bool RunCommand(RunState& state, char32_t ch) {
    switch (ch) {
    default:
        state.TextLine[state.TextRow].push_back(ch);
        return true;
    }
}
