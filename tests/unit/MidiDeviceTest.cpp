// The music device on the real synthesizer and player, heard through the mixer's output.
#include <gtest/gtest.h>

#include <vector>

#include "unit/AudioTestFiles.h"

using namespace audiotest;

namespace {

std::string Status() { return MidiSendCommand("status MIDI mode"); }

int Peak(int milliseconds) { return RecentAudioLevel(milliseconds).peak; }

class MidiDeviceTest : public AudioTest {
protected:
    // Opens a file written to the scratch folder, unquoted.
    void OpenPiece(const std::string& content, const std::string& name = "Bgm01.mid") {
        MidiSendCommand("open " + folder.Write(name, content) + " alias MIDI");
    }
};

TEST_F(MidiDeviceTest, OpeningLoadsWithoutPlaying) {
    OpenPiece(Melody(4));
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(MidiCurrentTick(), 0);
    WaitForAudio(200);
    EXPECT_EQ(Peak(200), 0);
    EXPECT_EQ(Status(), "stopped");
}

TEST_F(MidiDeviceTest, PlayingIsHeard) {
    OpenPiece(Melody(4));
    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "playing");
    WaitForAudio(300);
    EXPECT_GT(Peak(250), 2000);
    EXPECT_LE(Peak(250), int(kMusicCeiling * 32768) + 1);
    EXPECT_GT(MidiCurrentTick(), 0);
    EXPECT_EQ(Status(), "playing");
}

TEST_F(MidiDeviceTest, StopKeepsThePlaceAndPlayResumesThere) {
    OpenPiece(Melody(8));
    MidiSendCommand("play MIDI notify");
    WaitForAudio(300);
    MidiSendCommand("stop MIDI notify");
    EXPECT_EQ(Status(), "stopped");
    const int stoppedAt = MidiCurrentTick();
    EXPECT_GT(stoppedAt, 100);

    WaitForAudio(200);
    EXPECT_EQ(MidiCurrentTick(), stoppedAt);

    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "playing");
    WaitForAudio(100);
    EXPECT_GT(MidiCurrentTick(), stoppedAt);
    EXPECT_GT(Peak(80), 0);
}

TEST_F(MidiDeviceTest, StopLeavesNoNoteHanging) {
    // An organ chord held by the pedal would sound for ten seconds.
    OpenPiece(HeldOrgan(9600));
    MidiSendCommand("play MIDI notify");
    WaitForAudio(200);
    ASSERT_GT(Peak(100), 1000);
    MidiSendCommand("stop MIDI notify");
    EXPECT_TRUE(WaitUntil([] { return Peak(100) == 0; }, 1500));
}

TEST_F(MidiDeviceTest, SeekToStartRewindsAndStops) {
    OpenPiece(Melody(8));

    // While playing.
    MidiSendCommand("play MIDI notify");
    WaitForAudio(400);
    MidiSendCommand("seek MIDI to start");
    EXPECT_EQ(Status(), "stopped");
    EXPECT_EQ(MidiCurrentTick(), 0);

    // While stopped part-way.
    MidiSendCommand("play MIDI notify");
    WaitForAudio(300);
    MidiSendCommand("stop MIDI notify");
    const int stoppedAt = MidiCurrentTick();
    MidiSendCommand("seek MIDI to start");
    MidiSendCommand("play MIDI notify");
    WaitForAudio(50);
    EXPECT_EQ(Status(), "playing");
    EXPECT_LT(MidiCurrentTick(), stoppedAt);
}

TEST_F(MidiDeviceTest, FinishedPieceAnswersStoppedAndRestartsFromTheTop) {
    OpenPiece(Melody(2));  // half a second
    MidiSendCommand("play MIDI notify");
    ASSERT_TRUE(WaitUntil([] { return Status() == "stopped"; }, 2000));
    EXPECT_GE(MidiCurrentTick(), 480);

    // Play at the end has nothing left to play.
    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "stopped");

    // What the looping timer sends.
    MidiSendCommand("seek MIDI to start");
    MidiSendCommand("play MIDI from 0");
    EXPECT_EQ(Status(), "playing");
    WaitForAudio(150);
    EXPECT_GT(Peak(100), 2000);
    EXPECT_LT(MidiCurrentTick(), 480);

    // And once more, now that the player has long gone quiet: "from 0" alone rewinds too.
    ASSERT_TRUE(WaitUntil([] { return Status() == "stopped"; }, 2000));
    MidiSendCommand("play MIDI from 0 notify");
    EXPECT_EQ(Status(), "playing");
}

TEST_F(MidiDeviceTest, CloseStopsAndFrees) {
    OpenPiece(Melody(8));
    MidiSendCommand("play MIDI notify");
    WaitForAudio(200);
    MidiSendCommand("close MIDI notify");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(MidiCurrentTick(), -1);
    WaitForAudio(100);
    EXPECT_EQ(Peak(50), 0);

    MidiSendCommand("play MIDI notify");
    EXPECT_EQ(Status(), "");

    // The alias is free again.
    OpenPiece(Melody(2), "Bgm02.mid");
    EXPECT_EQ(Status(), "stopped");
}

TEST_F(MidiDeviceTest, PathsAsStoriesWriteThem) {
    const std::string content = Melody(2);
    struct Case {
        std::string written, command;
    };
    const std::string spaced = folder.Write("my story/Bgm/Bgm01.mid", content);
    folder.Write("Story/Bgm/Bgm03.mid", content);
    std::string riff = "RIFF";
    Put32(riff, uint32_t(12 + content.size()), false);
    riff += "RMIDdata";
    Put32(riff, uint32_t(content.size()), false);
    const std::string wrapped = folder.Write("Bgm04.mid", riff + content);

    const std::vector<Case> cases = {
        {"quoted with spaces", "open \"" + spaced + "\" alias MIDI"},
        {"unquoted with spaces", "open " + spaced + " alias MIDI"},
        {"Windows separators, other letter case", "open " + folder.path + "\\STORY\\bgm\\BGM03.MID alias MIDI"},
        {"RIFF-wrapped", "open " + wrapped + " alias MIDI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        MidiSendCommand(c.command);
        EXPECT_EQ(Status(), "stopped");
        MidiSendCommand("play MIDI notify");
        EXPECT_EQ(Status(), "playing");
        MidiSendCommand("close MIDI notify");
    }
}

TEST_F(MidiDeviceTest, UnusableFilesLeaveNothingOpen) {
    const std::vector<std::string> paths = {
        folder.path + "/Bgm/Bgm99.mid",
        folder.Write("Bgm05.mid", "not music at all"),
        folder.Write("Bgm06.mid", ""),
        folder.path,
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        MidiSendCommand("open " + path + " alias MIDI");
        EXPECT_EQ(Status(), "");
        MidiSendCommand("play MIDI notify");
        EXPECT_EQ(Status(), "");
    }
    WaitForAudio(100);
    EXPECT_EQ(Peak(100), 0);
}

TEST_F(MidiDeviceTest, OtherCommandsAreIgnored) {
    const std::string path = folder.Write("Bgm01.mid", Melody(2));
    MidiSendCommand("open " + path + " alias OTHER");
    EXPECT_EQ(Status(), "");
    MidiSendCommand("open " + path + " alias MIDI");
    EXPECT_EQ(MidiSendCommand("STATUS midi MODE"), "stopped");
    for (const char* ignored : {"", "play", "play OTHER", "status MIDI length", "seek MIDI to end",
                                "pause MIDI", "set MIDI time format ms", "close"})
        EXPECT_EQ(MidiSendCommand(ignored), "") << ignored;
    EXPECT_EQ(Status(), "stopped");
}

TEST(MusicLimiter, HoldsLoudMusicBelowTheCeilingAndLetsQuietMusicThrough) {
    const int frames = kAudioRate * 2;
    auto tone = [](int frame, float amplitude) {
        return amplitude * float(std::sin(2 * std::numbers::pi * 220.0 * frame / kAudioRate));
    };
    std::vector<float> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float amplitude = i < kAudioRate / 2 ? 0.3f : i < kAudioRate ? 3.0f : 0.3f;
        samples[size_t(i) * 2] = samples[size_t(i) * 2 + 1] = tone(i, amplitude);
    }
    float gain = 1.0f;
    for (int at = 0; at < frames; at += 1024)
        LimitMusicPeaks(&samples[size_t(at) * 2], size_t(std::min(1024, frames - at)), 2, gain);

    float peakLoud = 0.0f;
    for (int i = 0; i < frames; ++i) {
        const float value = std::fabs(samples[size_t(i) * 2]);
        ASSERT_LE(value, kMusicCeiling + 1e-6f) << "frame " << i;
        if (i < kAudioRate / 2) {
            ASSERT_NEAR(samples[size_t(i) * 2], tone(i, 0.3f), 1e-6f);
        }
        if (i >= kAudioRate / 2 && i < kAudioRate) peakLoud = std::max(peakLoud, value);
    }
    EXPECT_GT(peakLoud, 0.8f * kMusicCeiling);
    // A second after the loud part the quiet tone is back to (nearly) its own level.
    float peakAfter = 0.0f;
    for (int i = frames - kAudioRate / 10; i < frames; ++i)
        peakAfter = std::max(peakAfter, std::fabs(samples[size_t(i) * 2]));
    EXPECT_NEAR(peakAfter, 0.3f, 0.03f);
}

TEST(SoundFont, TheChosenOneComesFirst) {
    ScratchFolder folder;
    const std::string chosen = folder.Write("mine.sf2", "x");
    ::setenv("TESSARO_SOUNDFONT", chosen.c_str(), 1);
    std::string tried;
    EXPECT_EQ(FindSoundFont(&tried), chosen);

    ::setenv("TESSARO_SOUNDFONT", (folder.path + "/missing.sf2").c_str(), 1);
    const std::string fallback = FindSoundFont(&tried);
    EXPECT_NE(fallback, folder.path + "/missing.sf2");
    EXPECT_EQ(tried.rfind(folder.path + "/missing.sf2, /usr/share/sounds/sf2/", 0), 0u) << tried;
    ::unsetenv("TESSARO_SOUNDFONT");
}

}  // namespace
