#include "script/SoundCommands.h"

#include "sound/Bgm.h"
#include "sound/Wave.h"
#include "script/Arguments.h"
#include "system/TextCodec.h"

void OpenMusic(RunState& state) {
    BgmOpen("Bgm" + ToUtf8(NextChars(state, 2)) + ".mid");
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}

void PlayMusic(RunState&) { BgmPlay(); }

void StopMusic(RunState&) { BgmStop(); }

void PlaySoundEffect(RunState& state) {
    WavePlay("Wave" + ToUtf8(NextChars(state, 2)) + ".wav");
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
