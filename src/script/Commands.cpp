#include "script/Commands.h"

#include "script/PictureCommand.h"
#include "script/SoundCommands.h"
#include "script/Steering.h"
#include "script/Waits.h"
#include "window/Pacing.h"

bool RunCommand(RunState& state, char32_t ch) {
    switch (ch) {
    case U'\\':
    case U'\n': NextRow(state); return true;  // the end-of-line mark, or a line feed inside a line
    case U'e': return false;
    case U'C': ClearRows(state); return true;
    case U'P': WaitForPage(state); return true;
    case U'T': Pause(state); return true;
    case U'W': PlaySoundEffect(state); return true;
    case U'D': Chain(state); return true;
    case U'J': Jump(state); return true;
    case U'L': ShowPicture(state); return true;
    case U'B': OpenMusic(state); return true;
    case U'X': PlayMusic(state); return true;
    case U'Z': StopMusic(state); return true;
    case U'Q': AskQuestion(state); return true;
    case U'S': SetFlag(state); return true;
    case U'R': ResetFlag(state); return true;
    case U'G':
        // The game-over box; the music timer goes on ticking while it is open, and closing the
        // window meanwhile ends the program as it does anywhere else.
        ShowMessage("ゲームオーバー！");
        return false;
    case U'F': Branch(state); return true;
    default:
        // Everything else is story text, typed into the current row.
        state.TextLine[state.TextRow].push_back(ch);
        return true;
    }
}
