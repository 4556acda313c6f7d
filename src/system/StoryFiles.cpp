#include "system/StoryFiles.h"

namespace {

bool AnyBytes(std::string_view) { return true; }

}  // namespace

const StoryFolderKind kStoryFolders[4] = {
    {StoryFolder::Data, "Data", "data", ".dat", "a scenario file (DataNN.Dat)", kScenarioFileCap, AnyBytes},
    {StoryFolder::Picture, "Picture", "pic", ".bmp", "a Windows bitmap (PicNN.bmp)", kMediaFileCap, IsBitmapFile},
    {StoryFolder::Bgm, "Bgm", "bgm", ".mid", "a MIDI file (BgmNN.mid)", kMediaFileCap, IsMidiFile},
    {StoryFolder::Wave, "Wave", "wave", ".wav", "a wave file (WaveNN.wav)", kMediaFileCap, IsWaveFile},
};

const StoryFolderKind& StoryFolderOf(StoryFolder folder) { return kStoryFolders[static_cast<int>(folder)]; }

bool IsWaveFile(std::string_view bytes) {
    return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE";
}

bool IsMidiFile(std::string_view bytes) {
    return (bytes.size() >= 14 && bytes.substr(0, 4) == "MThd") ||
           (bytes.size() >= 20 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "RMID");
}

bool IsBitmapFile(std::string_view bytes) { return bytes.size() >= 2 && bytes.substr(0, 2) == "BM"; }
