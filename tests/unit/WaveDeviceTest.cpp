// Sound effects, heard through the mixer's output.
#include <gtest/gtest.h>

#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

int Peak(int milliseconds) { return RecentAudioLevel(milliseconds).peak; }

class WaveDeviceTest : public AudioTest {};

TEST_F(WaveDeviceTest, EffectIsHeardUntilItEnds) {
    folder.Write("Wave/Wave01.wav", ToneWave(300, 8000));
    // As stories name it: Windows separators, letter case other than the file's.
    PlayWaveFile(folder.path + "\\WAVE\\wave01.WAV");
    EXPECT_TRUE(WaveIsPlaying());
    WaitForAudio(150);
    EXPECT_NEAR(Peak(100), 8000, 400);

    EXPECT_TRUE(WaitUntil([] { return !WaveIsPlaying(); }, 1000));
    WaitForAudio(100);
    EXPECT_EQ(Peak(80), 0);
}

TEST_F(WaveDeviceTest, NewEffectCutsTheOnePlaying) {
    const std::string longQuiet = folder.Write("Wave01.wav", ToneWave(1500, 4000));
    const std::string shortLoud = folder.Write("Wave02.wav", ToneWave(150, 16000));
    PlayWaveFile(longQuiet);
    WaitForAudio(100);
    EXPECT_NEAR(Peak(80), 4000, 300);

    PlayWaveFile(shortLoud);
    WaitForAudio(100);
    EXPECT_NEAR(Peak(80), 16000, 800);

    // Well before the first would have ended, everything is quiet: it was cut, not paused.
    EXPECT_TRUE(WaitUntil([] { return !WaveIsPlaying(); }, 1000));
    WaitForAudio(200);
    EXPECT_EQ(Peak(150), 0);
}

TEST_F(WaveDeviceTest, UnplayableFilesAreSilent) {
    for (const std::string& path : {folder.path + "/Wave/Wave99.wav",
                                    folder.Write("Wave05.wav", "RIFF but not really"),
                                    folder.path}) {
        SCOPED_TRACE(path);
        PlayWaveFile(path);
        EXPECT_FALSE(WaveIsPlaying());
    }
    WaitForAudio(100);
    EXPECT_EQ(Peak(100), 0);
}

TEST_F(WaveDeviceTest, EffectAndMusicPlayTogether) {
    MidiSendCommand("open " + folder.Write("Bgm01.mid", Melody(8)) + " alias MIDI");
    MidiSendCommand("play MIDI notify");
    WaitForAudio(100);
    const double musicAlone = RecentAudioLevel(80).rms;
    ASSERT_GT(musicAlone, 100);

    PlayWaveFile(folder.Write("Wave01.wav", ToneWave(500, 12000)));
    WaitForAudio(200);
    EXPECT_GT(RecentAudioLevel(150).rms, 12000 / 1.5);  // a sine's rms is its peak / 1.41
    EXPECT_EQ(MidiSendCommand("status MIDI mode"), "playing");
}

}  // namespace
