#include "script/Commands.h"

#include "script/PictureCommand.h"
#include "script/SoundCommands.h"
#include "script/Steering.h"
#include "script/Waits.h"
#include "window/Pacing.h"

namespace {

// The letters RunCommand acts on and what each takes after it, for readers of a script that do
// not run it.
constexpr CommandLetter kCommandLetters[] = {
    {U'e', 0, ArgumentKind::None},      {U'C', 0, ArgumentKind::None},
    {U'P', 0, ArgumentKind::None},      {U'T', 3, ArgumentKind::Decimal},
    {U'W', 2, ArgumentKind::Name},      {U'D', 2, ArgumentKind::Name},
    {U'J', 3, ArgumentKind::Decimal},   {U'L', 2, ArgumentKind::Name},
    {U'B', 2, ArgumentKind::Name},      {U'X', 0, ArgumentKind::None},
    {U'Z', 0, ArgumentKind::None},      {U'Q', 0, ArgumentKind::Question},
    {U'S', 2, ArgumentKind::FlagIndex}, {U'R', 2, ArgumentKind::FlagIndex},
    {U'G', 0, ArgumentKind::None},      {U'F', 2, ArgumentKind::FlagIndex},
};

}  // namespace

const CommandLetter* FindCommandLetter(char32_t ch) {
    for (const CommandLetter& command : kCommandLetters)
        if (command.letter == ch) return &command;
    return nullptr;
}

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
