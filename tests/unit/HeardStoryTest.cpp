// Stories run with the real music and sound devices, heard through the mixer's output. The test
// clock moves with the sound mixed, so these take real time: their files are short.
#include "sound/Bgm.h"
#include "support/Story.h"
#include "unit/AudioTestFiles.h"
#include "window/Pacing.h"

using namespace audiotest;

namespace {

std::string Status() { return MidiSendCommand("status MIDI mode"); }

// Music is well above this; the reverberation of the last note dies away below it.
constexpr int kQuiet = 300;

// One tenth of a second of organ, then silence up to 0.6 s, where the piece ends.
std::string ShortNoteThenRest() {
    return MidiFile({{0, {'\xc0', 19}}, {0, {'\x90', 60, 110}}, {96, {'\x80', 60, 0}},
                     {480, {'\xb0', 7, 100}}});
}

class HeardStory : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(OpenAudioWithMeter(), "");
        story.platform.UseRealAudio();
    }
    void TearDown() override {
        MidiSendCommand("close MIDI notify");
        PlayWaveFile("");
    }

    // Runs one line of script.
    void Run(const std::string& line) {
        story.Scenario("00", line + "\n");
        ASSERT_EQ(story.Run(), "");
    }

    // Waits in steps of 20 ms until done() holds or `limit` ms have passed; returns how long it
    // took, or -1.
    template <typename Condition>
    int64_t WaitFor(Condition done, int64_t limit) {
        const int64_t start = story.platform.now;
        while (!done()) {
            if (story.platform.now - start >= limit) return -1;
            Wait(19);
        }
        return story.platform.now - start;
    }

    Story story;
};

TEST_F(HeardStory, MusicPlaysAfterXLoopsWhileOnAndStopsForZAndForANewPiece) {
    story.Write("Bgm/Bgm01.mid", ShortNoteThenRest());
    story.Write("Bgm/Bgm02.mid", Melody(4));

    Run("B01");
    Wait(100);
    EXPECT_EQ(Peak(100), 0) << "opening does not start it";

    Run("X");
    Wait(60);
    EXPECT_GT(Peak(60), 2000);

    // The piece ends in silence; within about a second the timer starts it again.
    ASSERT_GE(WaitFor([] { return Status() == "stopped"; }, 1500), 0);
    EXPECT_LT(Peak(100), kQuiet);
    const int64_t restart = WaitFor([] { return Peak(20) > 2000; }, 1500);
    EXPECT_GE(restart, 0) << "not heard again";
    EXPECT_LE(restart, 1100);

    Run("Z");
    EXPECT_GE(WaitFor([] { return Peak(20) == 0; }, 1000), 0);
    Wait(1100);  // a tick or more finds it stopped and leaves it so
    EXPECT_EQ(Peak(1000), 0);
    EXPECT_EQ(Status(), "stopped");

    // A new piece while one plays: the old one stops, the new one waits for "X".
    Run("X");
    Wait(60);
    ASSERT_GT(Peak(40), 0);
    Run("B02");
    EXPECT_GE(WaitFor([] { return Peak(20) == 0; }, 1000), 0);
    Wait(300);
    EXPECT_EQ(Peak(300), 0);
    EXPECT_EQ(Status(), "stopped");
}

TEST_F(HeardStory, SecondEffectCutsTheFirst) {
    story.Write("Wave/Wave01.wav", ToneWave(1500, 4000));
    story.Write("Wave/Wave02.wav", ToneWave(150, 16000));
    Run("W01");
    Wait(60);
    EXPECT_NEAR(Peak(50), 4000, 300);

    Run("W01W02");  // the second starts one step after the first
    Wait(40);
    EXPECT_NEAR(Peak(40), 16000, 800);
    // The first would sound for over a second more; once the second has ended, all is quiet.
    Wait(250);
    EXPECT_EQ(Peak(100), 0);
}

}  // namespace
