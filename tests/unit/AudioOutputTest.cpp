// Without an audio device, sound is silent but everything answers and the program carries on.
#include <cstdlib>

#include "platform/sdl/SdlAudioPause.h"
#include "support/Probes.h"
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

// The device mixes only while something sounds, and pausing it between sounds changes nothing
// that is heard: "Z" keeps the position, "X" goes on from there, an effect plays to its end.
TEST_F(AudioOutputTest, MixesOnlyWhileSomethingSounds) {
    struct Resume {
        ~Resume() { PauseAudio(false); }  // the next tests wait on sound being mixed
    } resume;
    const auto pausedSoon = [] {
        return WaitUntil([] {
            RunAudioOnlyWhileSounding();
            return AudioIsPaused();
        }, 3000);
    };
    MidiSendCommand("open " + Write("Bgm01.mid", Melody(16)) + " alias MIDI");
    // The test before may have left the device running: it rests once what it mixed has rung out.
    EXPECT_TRUE(pausedSoon()) << "a piece opened but not playing";

    MidiSendCommand("play MIDI notify");
    RunAudioOnlyWhileSounding();
    EXPECT_FALSE(AudioIsPaused());
    WaitForAudio(500);
    EXPECT_GT(Peak(100), 1000);
    MidiSendCommand("stop MIDI notify");
    const int stoppedAt = MidiCurrentTick();
    EXPECT_TRUE(pausedSoon()) << "once the last notes have rung out";
    EXPECT_EQ(MidiCurrentTick(), stoppedAt);

    MidiSendCommand("play MIDI notify");
    RunAudioOnlyWhileSounding();
    EXPECT_FALSE(AudioIsPaused());
    WaitForAudio(250);
    EXPECT_GT(MidiCurrentTick(), stoppedAt);
    EXPECT_LT(MidiCurrentTick(), stoppedAt + 480) << "X goes on from where Z stopped";
    MidiSendCommand("close MIDI notify");
    EXPECT_TRUE(pausedSoon());

    PlayWaveFile(Write("Wave01.wav", ToneWave(300, 8000)));
    RunAudioOnlyWhileSounding();
    EXPECT_FALSE(AudioIsPaused());
    WaitForAudio(150);
    EXPECT_NEAR(Peak(100), 8000, 400);
    EXPECT_TRUE(pausedSoon()) << "after the effect";
    EXPECT_FALSE(WaveIsPlaying());
}

}  // namespace
