// Without an audio device, sound is silent but everything answers and the program carries on.
#include <cstdlib>

#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

class AudioOutputTest : public AudioTest {};

TEST_F(AudioOutputTest, WithoutADeviceCommandsStillAnswer) {
    const std::string piece = Write("Bgm01.mid", Melody(2));
    const std::string effect = Write("Wave01.wav", ToneWave(100, 1000));
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = driver ? driver : "";
    CloseAudio();
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);

    testing::internal::CaptureStderr();
    const std::string error = OpenAudio();
    EXPECT_EQ(OpenAudio(), error);
    std::vector<std::string> answers;
    for (const std::string& command : {"open " + piece + " alias MIDI", std::string("play MIDI notify"),
                                       std::string("stop MIDI notify"), std::string("close MIDI")}) {
        MidiSendCommand(command);
        answers.push_back(MidiSendCommand("status MIDI mode"));
    }
    PlayWaveFile(effect);
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_NE(error, "");
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_EQ(answers, (std::vector<std::string>{"stopped", "playing", "stopped", ""}));
    EXPECT_FALSE(WaveIsPlaying());

    CloseAudio();
    ::setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    EXPECT_EQ(OpenAudio(), "");  // and a device that comes back is used again
}

}  // namespace
