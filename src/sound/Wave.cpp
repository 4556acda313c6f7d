#include "sound/Wave.h"

#include "system/AssetPath.h"
#include "system/Platform.h"

void WavePlay(const std::string& name) { System().SndPlaySound(AssetPath(kWaveFolder, name)); }
