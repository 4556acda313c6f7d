#include "script/Commands.h"

#include "script/Flags.h"
#include "script/PictureCommand.h"
#include "script/SoundCommands.h"
#include "script/Waits.h"
#include "system/Platform.h"
#include "window/MainForm.h"

bool RunCommand(RunState& state, char32_t ch) {
    switch (ch) {
    case U'\\':
    case U'\n': NextRow(state); return true;  // the end-of-line mark, or a line feed inside a line
    case U'e': return false;
    case U'C': ClearRows(state); return true;
    case U'P': PageWait(state); return true;
    case U'T': TimedWait(state); return true;
    case U'W': SoundEffectCommand(state); return true;
    case U'D': Chain(state); return true;
    case U'J': Jump(state); return true;
    case U'L': PictureCommand(state); return true;
    case U'B': MusicFileCommand(state); return true;
    case U'X': MusicPlayCommand(state); return true;
    case U'Z': MusicStopCommand(state); return true;
    case U'Q': Question(state); return true;
    case U'S': SetFlag(state); return true;
    case U'R': ResetFlag(state); return true;
    case U'G':
        // The game-over box; the music timer goes on ticking while it is open, and closing the
        // window meanwhile ends the program as it does anywhere else.
        if (!System().MessageBox("Tessaro", "ゲームオーバー！", RunTimersWhileBoxOpen))
            MainForm_Unload();
        return false;
    case U'F': Branch(state); return true;
    default:
        // Everything else is story text, typed into the current row.
        state.TextLine[state.TextRow].push_back(ch);
        return true;
    }
}
