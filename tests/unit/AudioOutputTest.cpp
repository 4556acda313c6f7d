// The audio device itself: without one, sound is silent but the program carries on.
#include <gtest/gtest.h>

#include <cstdlib>

#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

TEST(AudioOutput, WithoutADeviceCommandsStillAnswerAndNothingBreaks) {
    ScratchFolder folder;
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string driver = before ? before : "";
    CloseAudio();
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);

    testing::internal::CaptureStderr();
    const std::string error = OpenAudio();
    EXPECT_EQ(OpenAudio(), error);  // not tried again
    MidiSendCommand("open " + folder.Write("Bgm01.mid", Melody(2)) + " alias MIDI");
    const std::string opened = MidiSendCommand("status MIDI mode");
    MidiSendCommand("play MIDI notify");
    const std::string played = MidiSendCommand("status MIDI mode");
    MidiSendCommand("stop MIDI notify");
    const std::string stopped = MidiSendCommand("status MIDI mode");
    MidiSendCommand("close MIDI notify");
    PlayWaveFile(folder.Write("Wave01.wav", ToneWave(100, 1000)));
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_NE(error, "");
    EXPECT_FALSE(AudioIsOpen());
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_EQ(opened, "stopped");
    EXPECT_EQ(played, "playing");
    EXPECT_EQ(stopped, "stopped");
    EXPECT_FALSE(WaveIsPlaying());

    CloseAudio();
    if (before) ::setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    else ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
