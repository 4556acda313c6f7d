#include "script/SoundCommands.h"

#include "common/Bgm.h"
#include "common/Wave.h"
#include "script/Arguments.h"
#include "system/TextCodec.h"

void MusicFileCommand(RunState& state) {
    BgmOpen("Bgm" + ToUtf8(NextChars(state, 2)) + ".mid");
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}

void MusicPlayCommand(RunState&) { BgmPlay(); }

void MusicStopCommand(RunState&) { BgmStop(); }

void SoundEffectCommand(RunState& state) {
    WavePlay("Wave" + ToUtf8(NextChars(state, 2)) + ".wav");
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
