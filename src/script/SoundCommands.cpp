#include "script/SoundCommands.h"

#include "sound/Bgm.h"
#include "sound/Wave.h"

void OpenMusic(RunState&, const CommandArgument& argument) { BgmOpen(argument.file); }

void PlayMusic(RunState&, const CommandArgument&) { BgmPlay(); }

void StopMusic(RunState&, const CommandArgument&) { BgmStop(); }

void PlaySoundEffect(RunState&, const CommandArgument& argument) { WavePlay(argument.file); }
