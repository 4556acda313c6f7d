#include "script/Commands.h"

#include "script/Arguments.h"
#include "script/PictureCommand.h"
#include "script/ReaderPlace.h"
#include "script/SoundCommands.h"
#include "script/Steering.h"
#include "script/Waits.h"
#include "sound/Bgm.h"
#include "sound/Wave.h"
#include "system/TextCodec.h"
#include "window/Pacing.h"

namespace {

// "G": the game-over box; the music timer goes on ticking while it is open, and closing the
// window meanwhile ends the program as it does anywhere else.
// The story is over here: its bookmark goes before the box shows, so that closing the window
// instead of dismissing the box ends the story too.
void ShowGameOver(RunState&, const CommandArgument&) {
    StoryFinished();
    ShowMessage("ゲームオーバー！");
}

// "e": the end of the story, which its bookmark does not outlive.
void EndStory(RunState&, const CommandArgument&) { StoryFinished(); }

// "C": an empty box; text goes on at its top row.
void ClearBox(RunState& state, const CommandArgument&) { ClearRows(state); }

// Letters are tried in this order; everything else is story text.
constexpr CommandLetter kCommandLetters[] = {
    {U'e', 0, ArgumentKind::None, EndStory, Then::End, {}},
    {U'C', 0, ArgumentKind::None, ClearBox, Then::StepPast, {}},
    {U'P', 0, ArgumentKind::None, WaitForPage, Then::StepPast, {}},
    {U'T', 3, ArgumentKind::Decimal, Pause, Then::StepPast, {}},
    {U'W', 2, ArgumentKind::Name, PlaySoundEffect, Then::StepPast, {kWaveFolder, "Wave", ".wav"}},
    {U'D', 2, ArgumentKind::Name, Chain, Then::Moved, {}},
    {U'J', 3, ArgumentKind::Decimal, Jump, Then::Moved, {}},
    {U'L', 2, ArgumentKind::Name, ShowPicture, Then::StepPast, {kPictureFolder, "Pic", ".bmp"}},
    {U'B', 2, ArgumentKind::Name, OpenMusic, Then::StepPast, {kBgmFolder, "Bgm", ".mid"}},
    {U'X', 0, ArgumentKind::None, PlayMusic, Then::StepPast, {}},
    {U'Z', 0, ArgumentKind::None, StopMusic, Then::StepPast, {}},
    {U'Q', 0, ArgumentKind::Question, AskQuestion, Then::Moved, {}},
    {U'S', 2, ArgumentKind::FlagIndex, SetFlag, Then::StepPast, {}},
    {U'R', 2, ArgumentKind::FlagIndex, ResetFlag, Then::StepPast, {}},
    {U'G', 0, ArgumentKind::None, ShowGameOver, Then::End, {}},
    {U'F', 2, ArgumentKind::FlagIndex, Branch, Then::Moved, {}},
};

}  // namespace

const CommandLetter* FindCommandLetter(char32_t ch) {
    if (ch >= 0x80) return nullptr;  // every letter is ASCII; most story text is not
    for (const CommandLetter& command : kCommandLetters)
        if (command.letter == ch) return &command;
    return nullptr;
}

std::string AssetFileName(const CommandLetter& command, std::u32string_view argument) {
    if (command.asset.folder == nullptr) return {};
    return command.asset.prefix + ToUtf8(argument) + command.asset.suffix;
}

bool RunCommand(RunState& state, char32_t ch) {
    if (ch == U'\\' || ch == U'\n') {  // the end-of-line mark, or a line feed inside a line
        NextRow(state);
        return true;
    }
    const CommandLetter* command = FindCommandLetter(ch);
    if (command == nullptr) {
        state.TextLine[state.TextRow].push_back(ch);
        return true;
    }
    const std::u32string text = NextChars(state, command->length);
    if (command->handler != nullptr) command->handler(state, CommandArgument{text, AssetFileName(*command, text)});
    switch (command->then) {
    case Then::StepPast: state.CharPos = Add16(state.CharPos, command->length, "the character position"); return true;
    case Then::Moved: return true;
    case Then::End: return false;
    }
    return false;
}
