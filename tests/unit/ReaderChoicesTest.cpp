// What the reader may choose: the volume and mute, heard through the mixer's output; the text
// speed against the virtual clock; and the command line that asks for them.
#include <gtest/gtest.h>

#include "sound/Volume.h"
#include "script/TextSpeed.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "unit/AudioTestFiles.h"
#include "window/Crt.h"
#include "app/Options.h"
#include "window/Pacing.h"

using namespace audiotest;

namespace {

class HeardVolume : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(OpenAudioWithMeter(), "");
        story.platform.UseRealAudio();
    }
    void TearDown() override {
        MidiSendCommand("close MIDI notify");
        PlayWaveFile("");
        SetStoryVolume(100);
    }
    void Run(const std::string& line) {
        story.Scenario("00", line + "\n");
        ASSERT_EQ(story.Run(), "");
    }
    // Presses M, as the reader would, and lets the mixer go on a while.
    void PressMute() {
        story.platform.PressKey(story.platform.now + 1, Key::Mute);
        Wait(150);
    }
    Story story;
};

TEST_F(HeardVolume, VolumeScalesEffectsAndMusic) {
    story.Write("Wave/Wave01.wav", ToneWave(3000, 16000));
    for (const int percent : {100, 30}) {
        SetStoryVolume(percent);
        Run("W01");
        Wait(100);
        EXPECT_NEAR(Peak(80), 16000 * percent / 100, 16000 / 50) << percent << "%: the effect";
        PlayWaveFile("");
    }
    // One organ note held, soft enough that the limiter stays at rest: a steady level.
    story.Write("Bgm/Bgm02.mid", MidiFile({{0, {'\xc0', 19}}, {0, {'\x90', 60, 60}}, {9600, {'\x80', 60, 0}}}));
    SetStoryVolume(100);
    Run("B02X");
    Wait(400);
    const double full = RecentAudioLevel(200).rms;
    ASSERT_GT(full, 500);
    SetStoryVolume(30);
    Wait(300);
    EXPECT_NEAR(RecentAudioLevel(200).rms, full * 0.3, full * 0.03) << "the music";
}

TEST_F(HeardVolume, MuteSilencesBothWhileTheMusicGoesOnAndShowsItsMark) {
    story.Write("Bgm/Bgm01.mid", HeldOrgan());
    story.Write("Wave/Wave01.wav", ToneWave(3000, 16000));
    Run("B01X");
    Wait(300);
    const int loud = Peak(200);
    ASSERT_GT(loud, 2000);
    const size_t commands = story.platform.mciCommands.size();
    const uint32_t corner = CrtPixelAt(295, 4);

    PressMute();
    EXPECT_TRUE(Muted());
    EXPECT_EQ(Peak(100), 0);
    Run("W01");  // an effect started while muted is silent too
    Wait(100);
    EXPECT_EQ(Peak(80), 0);
    EXPECT_EQ(MidiSendCommand("status MIDI mode"), "playing");
    EXPECT_EQ(CrtPixelAt(295, 4), PaletteColour(kLightGrey)) << "the mark's edge";

    PressMute();
    EXPECT_FALSE(Muted());
    EXPECT_GT(Peak(100), loud / 2) << "heard again";
    EXPECT_EQ(story.platform.mciCommands.size(), commands) << "muting sends the music nothing";
    EXPECT_EQ(CrtPixelAt(295, 4), corner) << "the mark is gone";
}

TEST(TextSpeed, ScalesThePauseAfterEachCharacterButNotTimedPauses) {
    const auto endedAt = [](TextSpeed speed) {
        SetTextSpeed(speed);
        Story story;
        story.Scenario("00", "一二三T500四五\n");
        EXPECT_EQ(story.Run(), "");
        SetTextSpeed(TextSpeed::Normal);
        return story.platform.now;
    };
    // At the normal speed each step waits more than 15 ms: 16 on a 1 ms clock.
    const int64_t normal = endedAt(TextSpeed::Normal);
    const int64_t pause = 501;
    ASSERT_EQ((normal - pause) % 16, 0) << normal;
    const int64_t steps = (normal - pause) / 16;
    const struct {
        TextSpeed speed;
        int64_t ends;
    } cases[] = {
        {TextSpeed::Slow, steps * 31 + pause},
        {TextSpeed::Fast, steps * 6 + pause},
        {TextSpeed::Instant, pause},
    };
    for (const auto& c : cases) EXPECT_EQ(endedAt(c.speed), c.ends) << int(c.speed);
}

TEST(CommandLine, ReadsTheVolumeAndTextSpeedAndNamesABadValue) {
    using Action = CommandLine::Action;
    const struct {
        std::vector<const char*> arguments;
        Action action;
        int volume;
        TextSpeed speed;
        const char* problem;  // for a misuse: what the one line says
    } cases[] = {
        {{}, Action::Play, 100, TextSpeed::Normal, ""},
        {{"--volume", "30", "--text-speed", "fast"}, Action::Play, 30, TextSpeed::Fast, ""},
        {{"--volume=0", "--text-speed=instant"}, Action::Play, 0, TextSpeed::Instant, ""},
        {{"--text-speed", "slow", "--volume", "100"}, Action::Play, 100, TextSpeed::Slow, ""},
        {{"--volume", "101"}, Action::Misuse, 0, {}, "--volume takes 0 to 100, not \"101\""},
        {{"--volume", "-5"}, Action::Misuse, 0, {}, "--volume takes 0 to 100, not \"-5\""},
        {{"--volume"}, Action::Misuse, 0, {}, "--volume needs a value: 0 to 100"},
        {{"--text-speed", "quick"}, Action::Misuse, 0, {},
         "--text-speed takes slow, normal, fast or instant, not \"quick\""},
        {{"--scale", "0"}, Action::Misuse, 0, {}, "--scale takes 1 to 8, or auto, not \"0\""},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("tessaro")};
        for (const char* a : c.arguments) argv.push_back(const_cast<char*>(a));
        const CommandLine line = ReadCommandLine(int(argv.size()), argv.data());
        const std::string shown = argv.size() > 1 ? argv[1] : "(none)";
        EXPECT_EQ(line.action, c.action) << shown;
        if (c.action == Action::Misuse) {
            EXPECT_EQ(line.problem, c.problem) << shown;
            EXPECT_TRUE(line.badValue) << shown << ": one line, not the whole help";
            continue;
        }
        EXPECT_EQ(line.volume, c.volume) << shown;
        EXPECT_EQ(line.textSpeed, c.speed) << shown;
    }
    char* unknown[] = {const_cast<char*>("tessaro"), const_cast<char*>("--loud")};
    EXPECT_FALSE(ReadCommandLine(2, unknown).badValue) << "an unknown option shows the help";
}

}  // namespace
