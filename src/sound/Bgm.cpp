#include "sound/Bgm.h"

#include "system/Boolean.h"
#include "system/AssetPath.h"
#include "system/Platform.h"

int16_t BgmLoop = 0;

namespace {

std::string openFile;

// The device splits its open command at blanks, so a path with spaces goes in double quotes.
std::string DevicePath(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

const std::string& BgmFile() { return openFile; }

void BgmOpen(const std::string& name) {
    openFile = name;
    System().MciSendString("close MIDI notify");
    System().MciSendString("open " + DevicePath(AssetPath(kBgmFolder, name)) + " alias MIDI");
    BgmLoop = kFalse;
}

void BgmPlay() {
    System().MciSendString("play MIDI notify");
    BgmLoop = kTrue;
}

void BgmStop() {
    BgmLoop = kFalse;
    System().MciSendString("stop MIDI notify");
}

void BgmClose() {
    openFile.clear();
    System().MciSendString("close MIDI notify");
    BgmLoop = kFalse;
}

void Bgm_Check_Timer() {
    // Only the first seven characters of the answer count, in any letter case; a device that
    // could not answer leaves them blank.
    std::string mode = System().MciSendString("status MIDI mode");
    mode.resize(7, ' ');
    for (char& c : mode)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (mode == "STOPPED" && BgmLoop == kTrue) {
        System().MciSendString("seek MIDI to start");
        System().MciSendString("play MIDI from 0");
    }
}
