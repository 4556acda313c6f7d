#include "script/Commands.h"

#include "script/PictureCommand.h"
#include "script/SoundCommands.h"

bool RunCommand(RunState& state, char32_t ch) {
    switch (ch) {
    case U'W':
        SoundEffectCommand(state);
        return true;
    case U'L':
        PictureCommand(state);
        return true;
    case U'B':
        MusicFileCommand(state);
        return true;
    case U'X':
        MusicPlayCommand(state);
        return true;
    case U'Z':
        MusicStopCommand(state);
        return true;
    default:
        state.TextLine[state.TextRow].push_back(ch);
        return true;
    }
}
