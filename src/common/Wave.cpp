#include "common/Wave.h"

#include "system/Files.h"
#include "system/Platform.h"

void WavePlay(const std::string& name) { System().SndPlaySound(ProgramDirectory() + "\\Wave\\" + name); }
