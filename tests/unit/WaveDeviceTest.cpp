// Sound effects, heard through the mixer's output.
#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

class WaveDeviceTest : public AudioTest {};

TEST_F(WaveDeviceTest, EffectIsHeardUntilItEnds) {
    Write("Wave/Wave01.wav", ToneWave(250, 8000));
    PlayWaveFile(folder.string() + "\\WAVE\\wave01.WAV");  // as stories name it
    WaitForAudio(120);
    EXPECT_NEAR(Peak(100), 8000, 400);
    EXPECT_TRUE(WaitUntil([] { return !WaveIsPlaying(); }, 1000));
    WaitForAudio(60);
    EXPECT_EQ(Peak(50), 0);
}

TEST_F(WaveDeviceTest, NewEffectCutsTheOnePlaying) {
    PlayWaveFile(Write("Wave01.wav", ToneWave(1500, 4000)));
    WaitForAudio(100);
    EXPECT_NEAR(Peak(80), 4000, 300);
    PlayWaveFile(Write("Wave02.wav", ToneWave(150, 16000)));
    WaitForAudio(100);
    EXPECT_NEAR(Peak(80), 16000, 800);
    // Long before the first would have ended, all is quiet: it was cut, not set aside.
    EXPECT_TRUE(WaitUntil([] { return !WaveIsPlaying(); }, 1000));
    WaitForAudio(150);
    EXPECT_EQ(Peak(120), 0);
}

TEST_F(WaveDeviceTest, UnplayableFilesAreSilent) {
    // A name with a NUL (a script's «W0» + NUL) finds no file, though cut there it would.
    const std::string nul = Write("Wave0", ToneWave(250, 8000)) + std::string("\0" ".wav", 5);
    // 60 000 samples at one a second: 17 hours, gigabytes once converted to the device's rate.
    std::string slow = ToneWave(1000, 8000);
    slow.replace(24, 8, Number(1, 4, true) + Number(2, 4, true));
    slow.resize(44 + 60000);
    for (const std::string& path : {folder.string() + "/Wave99.wav", Write("Wave05.wav", "RIFF, no more"),
                                    folder.string(), nul, Write("Wave06.wav", slow),
                                    Write("Wave07.wav", Melody(1))})  // effects are wave files
        PlayWaveFile(path);
    EXPECT_FALSE(WaveIsPlaying());
    WaitForAudio(80);
    EXPECT_EQ(Peak(80), 0);
}

TEST_F(WaveDeviceTest, EffectsAndMusicShareTheDevice) {
    MidiSendCommand("open " + Write("Bgm01.mid", Melody(8)) + " alias MIDI");
    MidiSendCommand("play MIDI notify");
    PlayWaveFile(Write("Wave01.wav", ToneWave(500, 12000)));
    WaitForAudio(200);
    // The tone alone is 12000 / 1.41; a loaded machine may start it a block late, so the margin is
    // wide, and still far above silence.
    EXPECT_GT(RecentAudioLevel(150).rms, 12000 / 2.5);
    EXPECT_GT(Peak(150), 12000 + 1000);                 // and the music with it
    EXPECT_EQ(MidiSendCommand("status MIDI mode"), "playing");
}

}  // namespace
