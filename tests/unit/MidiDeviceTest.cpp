// The music device on the real synthesizer and player, heard through the mixer's output.
#include <algorithm>

#include "support/Probes.h"
#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

std::string Status() { return MidiSendCommand("status MIDI mode"); }

class MidiDeviceTest : public AudioTest {
protected:
    void Open(const std::string& content) {
        MidiSendCommand("open " + Write("Bgm01.mid", content) + " alias MIDI");
    }
};

TEST_F(MidiDeviceTest, OpenIsSilentUntilPlay) {
    Open(Melody(4));
    WaitForAudio(150);
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(MidiCurrentTick(), 0);
    EXPECT_EQ(Peak(150), 0);

    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "playing");
    WaitForAudio(250);
    EXPECT_GT(Peak(200), 2000);
    EXPECT_LE(Peak(200), int(kMusicCeiling * 32768) + 1);
    EXPECT_EQ(Status(), "playing");
}

TEST_F(MidiDeviceTest, StopReleasesEveryNoteAndPlayResumesWhereItStopped) {
    Open(HeldOrgan());
    MidiSendCommand("play MIDI notify");
    WaitForAudio(200);
    ASSERT_GT(Peak(100), 1000);
    MidiSendCommand("stop MIDI notify");
    EXPECT_EQ(Status(), "stopped");
    const int stoppedAt = MidiCurrentTick();
    EXPECT_GT(stoppedAt, 100);
    EXPECT_TRUE(WaitUntil([] { return Peak(50) == 0; }, 1500));
    EXPECT_EQ(MidiCurrentTick(), stoppedAt);

    MidiSendCommand("play MIDI notify");
    WaitForAudio(60);
    EXPECT_EQ(Status(), "playing");
    EXPECT_GT(MidiCurrentTick(), stoppedAt);
}

TEST_F(MidiDeviceTest, SeekToStartStopsAndRewinds) {
    Open(Melody(8));
    MidiSendCommand("play MIDI notify");
    WaitForAudio(250);
    MidiSendCommand("seek MIDI to start");  // while playing
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(MidiCurrentTick(), 0);

    MidiSendCommand("play MIDI notify");
    WaitForAudio(250);
    MidiSendCommand("stop MIDI notify");
    const int stoppedAt = MidiCurrentTick();
    MidiSendCommand("seek MIDI to start");  // while stopped
    MidiSendCommand("play MIDI notify");
    WaitForAudio(50);
    EXPECT_EQ(Status(), "playing");
    EXPECT_LT(MidiCurrentTick(), stoppedAt);
}

TEST_F(MidiDeviceTest, FinishedPieceAnswersStoppedUntilRestarted) {
    Open(Melody(1));  // a quarter of a second
    MidiSendCommand("play MIDI notify");
    ASSERT_TRUE(WaitUntil([] { return Status() == "stopped"; }, 1500));
    MidiSendCommand("play MIDI notify");  // nothing left to play
    EXPECT_EQ(Status(), "stopped");

    // What the looping timer sends.
    MidiSendCommand("seek MIDI to start");
    MidiSendCommand("play MIDI from 0");
    EXPECT_EQ(Status(), "playing");
    WaitForAudio(100);
    EXPECT_GT(Peak(80), 2000);
    EXPECT_LT(MidiCurrentTick(), 240);
}

TEST_F(MidiDeviceTest, CloseSilencesAndFrees) {
    Open(Melody(8));
    MidiSendCommand("play MIDI notify");
    WaitForAudio(150);
    MidiSendCommand("close MIDI notify");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(MidiCurrentTick(), -1);
    WaitForAudio(80);
    EXPECT_EQ(Peak(50), 0);
    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "");
}

TEST_F(MidiDeviceTest, PathsAsStoriesWriteThem) {
    const std::string piece = Melody(1);
    const std::string spaced = Write("my story/Bgm/Bgm01.mid", piece);
    Write("Story/Bgm/Bgm02.mid", piece);
    const std::string riff = Write("Bgm03.mid", "RIFF" + Number(uint32_t(12 + piece.size()), 4, true) +
                                   "RMIDdata" + Number(uint32_t(piece.size()), 4, true) + piece);
    for (const std::string& command : {
             "open \"" + spaced + "\" alias MIDI",
             "open " + spaced + " alias MIDI",
             "open " + folder.string() + "\\STORY\\bgm\\BGM02.MID alias MIDI",
             "open " + riff + " alias MIDI",
         }) {
        SCOPED_TRACE(command);
        MidiSendCommand(command);
        EXPECT_EQ(Status(), "stopped");
        MidiSendCommand("play MIDI notify");
        EXPECT_EQ(MidiSendCommand("STATUS midi MODE"), "playing");
        MidiSendCommand("close MIDI notify");
    }
}

TEST_F(MidiDeviceTest, UnusableFilesAndOtherCommandsDoNothing) {
    // A chunk size near 4 GB once wrapped round to a step of nothing: the search went on forever.
    const std::string endless = "RIFF" + Number(40, 4, true) + "RMIDjunk" + Number(0xfffffff7, 4, true);
    for (const std::string& path : {folder.string() + "/Bgm/Bgm99.mid",
                                    Write("Bgm05.mid", "not music at all"), folder.string(),
                                    Write("Bgm06.mid", endless + std::string(30, '\0'))}) {
        MidiSendCommand("open " + path + " alias MIDI");
        MidiSendCommand("play MIDI notify");
        EXPECT_EQ(Status(), "") << path;
    }
    MidiSendCommand("open " + Write("Bgm01.mid", Melody(2)) + " alias OTHER");
    EXPECT_EQ(Status(), "");
    for (const char* ignored : {"", "play", "play OTHER", "seek MIDI to end", "status MIDI length"})
        EXPECT_EQ(MidiSendCommand(ignored), "") << ignored;
    WaitForAudio(100);
    EXPECT_EQ(Peak(100), 0);
}

TEST(MusicLimiter, HoldsLoudPassagesBelowTheCeilingAndLetsQuietOnesThrough) {
    // Half a second quiet, half a second eight times too loud, three and a half seconds quiet
    // again.
    const size_t frames = 9 * kAudioRate / 2;
    auto level = [](size_t frame) { return frame >= 22050 && frame < 44100 ? 3.0f : 0.3f; };
    std::vector<float> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] = level(i) * float(std::sin(0.03 * double(i)));
    const std::vector<float> original = samples;
    float gain = 1.0f;
    for (size_t at = 0; at < frames; at += 1024)
        LimitMusicPeaks(&samples[2 * at], std::min<size_t>(1024, frames - at), 2, gain);

    float loudPeak = 0.0f, lastPeak = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        ASSERT_LE(std::fabs(samples[2 * i]), kMusicCeiling + 1e-6f) << i;
        if (i < 22050) {
            ASSERT_EQ(samples[2 * i], original[2 * i]) << i;
        }
        if (level(i) > 1) loudPeak = std::max(loudPeak, std::fabs(samples[2 * i]));
        if (i > frames - 4410) lastPeak = std::max(lastPeak, std::fabs(samples[2 * i]));
    }
    EXPECT_GT(loudPeak, 0.8f * kMusicCeiling);
    EXPECT_NEAR(lastPeak, 0.3f, 0.03f);  // back to its own level
    // And wholly at rest: the last quiet blocks pass untouched.
    EXPECT_EQ(gain, 1.0f);
    for (size_t i = frames - 4096; i < frames; ++i) ASSERT_EQ(samples[2 * i], original[2 * i]) << i;
}

// The hook renders ahead of the device; whatever lengths the device asks for, every sample the
// synthesizer makes must reach it once, in order, limited and rounded. Two synthesizers playing the
// same piece make the same samples, so each way of asking is compared with the synthesizer's own
// output put through the limiter by hand.
TEST(MusicRender, EverySampleReachesTheDeviceOnceWhateverItAsksFor) {
    const std::string piece = Melody(8);  // two seconds
    const size_t length = size_t(3 * kAudioRate * kAudioChannels);
    // Calls `take(synth, player)` on a synthesizer at the start of the piece.
    const auto playing = [&](const auto& take) {
        fluid_settings_t* settings = new_fluid_settings();
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        fluid_settings_setnum(settings, "synth.gain", 2.5);  // loud enough for the limiter
        fluid_synth_t* synth = new_fluid_synth(settings);
        EXPECT_NE(fluid_synth_sfload(synth, "/usr/share/sounds/sf2/TimGM6mb.sf2", 1), FLUID_FAILED);
        fluid_player_t* player = new_fluid_player(synth);
        fluid_player_add_mem(player, piece.data(), piece.size());
        fluid_player_play(player);
        take(synth, player);
        delete_fluid_player(player);
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    };

    std::vector<int16_t> expected(length);
    playing([&](fluid_synth_t* synth, fluid_player_t*) {
        std::vector<float> made(length);
        fluid_synth_write_float(synth, int(length / 2), made.data(), 0, 2, made.data(), 1, 2);
        float gain = 1.0f;
        LimitMusicPeaks(made.data(), length / 2, 2, gain);
        for (size_t i = 0; i < length; ++i)
            expected[i] = int16_t(std::lrint(std::clamp(made[i] * 32767.0f, -32768.0f, 32767.0f)));
    });
    EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 2000);

    for (const std::vector<int>& requests : std::vector<std::vector<int>>{
             {2048}, {2, 4094, 1000}, {8198}, {2 * kRenderFrames}, {30000, 6}}) {
        SCOPED_TRACE(::testing::PrintToString(requests));
        std::vector<int16_t> heard(length);
        playing([&](fluid_synth_t* synth, fluid_player_t* player) {
            MidiRenderState state;
            state.Reset();
            for (size_t at = 0, next = 0; at < length; next = (next + 1) % requests.size()) {
                const size_t asked = std::min(size_t(requests[next]), length - at);
                RenderMidi(synth, player, state, heard.data() + at, int(asked));
                at += asked;
            }
        });
        const auto differs = std::mismatch(heard.begin(), heard.end(), expected.begin()).first;
        EXPECT_EQ(differs - heard.begin(), heard.end() - heard.begin()) << "first differing sample";
    }
}

}  // namespace
