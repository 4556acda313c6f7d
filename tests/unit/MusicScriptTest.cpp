// What "B", "X", "Z" and "W" send to the music device and the sound player, the one-second timer
// that keeps music looping, and closing the music with the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "sound/Bgm.h"
#include "script/Interpreter.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "system/AssetPath.h"
#include "window/Pacing.h"

namespace {

using Commands = std::vector<std::string>;

const std::string kStatus = "status MIDI mode";
const std::string kRestart[2] = {"seek MIDI to start", "play MIDI from 0"};

// About 1.2 s of typing: 75 characters of 16 ms each.
const std::string kLongText(75, '-');

int Count(const Commands& commands, const std::string& command) {
    return int(std::count(commands.begin(), commands.end(), command));
}

bool Restarted(const Commands& commands) {
    return std::search(commands.begin(), commands.end(), std::begin(kRestart), std::end(kRestart)) !=
           commands.end();
}

TEST(MusicCommands, SendExactlyTheseStringsInOrder) {
    Story story;
    const std::string open = "open " + story.folder.string() + "\\Bgm\\Bgm07.mid alias MIDI";
    story.Scenario("00", "B07あX\n");
    ASSERT_EQ(story.Run(), "");
    EXPECT_EQ(story.platform.mciCommands, (Commands{"close MIDI notify", open, "play MIDI notify"}));
    EXPECT_EQ(BgmLoop, -1);
    EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), "あ") << "the name is not typed";

    story.platform.mciCommands.clear();
    story.Scenario("00", "Z\n");
    story.Run();
    EXPECT_EQ(story.platform.mciCommands, Commands{"stop MIDI notify"});
    EXPECT_EQ(BgmLoop, 0);

    // A new piece while one plays: the old one is closed before the new one opens, and the new
    // one waits for "X".
    story.platform.mciCommands.clear();
    story.Scenario("00", "XB08\n");
    story.Run();
    EXPECT_EQ(story.platform.mciCommands,
              (Commands{"play MIDI notify", "close MIDI notify",
                        "open " + story.folder.string() + "\\Bgm\\Bgm08.mid alias MIDI"}));
    EXPECT_EQ(BgmLoop, 0);
}

TEST(MusicCommands, FolderWithSpacesIsQuoted) {
    Story story;
    const std::string folder = (story.folder / "my story").string();
    std::filesystem::create_directories(folder);
    SetProgramDirectory(folder);
    story.Write("my story/Data/Data00.Dat", "B01\r\n");
    story.Run();
    EXPECT_EQ(story.platform.mciCommands.at(1), "open \"" + folder + "\\Bgm\\Bgm01.mid\" alias MIDI");
}

TEST(SoundEffects, EachWPlaysItsFileAndTheStoryGoesOn) {
    Story story;
    story.Scenario("00", "W01あW02い\n");
    ASSERT_EQ(story.Run(), "") << "missing files are silent";
    const std::string wave = story.folder.string() + "\\Wave\\";
    EXPECT_EQ(story.platform.soundsPlayed, (Commands{wave + "Wave01.wav", wave + "Wave02.wav"}));
    EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), "あい");
}

TEST(MusicTimer, TicksOnceASecondOnlyWhileMessagesArePumped) {
    Story story;  // the window is loaded at 0
    Wait(998);
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 0);
    Wait(0);
    EXPECT_EQ(story.platform.now, 1000);
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 1);
    Wait(2000);
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 3);

    // Ten seconds without pumping: nothing ticks, and the pump afterwards ticks once.
    story.platform.now += 10000;
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 3);
    Wait(0);
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 4);
    Wait(1000);
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 5);
}

TEST(MusicTimer, RestartsAFinishedPieceOnlyWhileLooping) {
    Story story;
    story.platform.AnswerMci(kStatus, "stopped");
    // Opened but never played: a stopped piece stays stopped.
    story.Scenario("00", "B01" + kLongText + "\n");
    story.Run();
    EXPECT_GE(Count(story.platform.mciCommands, kStatus), 1);
    EXPECT_FALSE(Restarted(story.platform.mciCommands));

    // Played: the tick that finds it stopped starts it again from the beginning.
    story.platform.mciCommands.clear();
    story.Scenario("00", "X" + kLongText + "\n");
    story.Run();
    Commands& sent = story.platform.mciCommands;
    ASSERT_EQ(Count(sent, kStatus), 1);
    const auto status = std::find(sent.begin(), sent.end(), kStatus);
    EXPECT_EQ(Commands(status, sent.end()), (Commands{kStatus, kRestart[0], kRestart[1]}));

    // Only an answer that begins with "stopped", in any letter case, means it has finished.
    sent.clear();
    story.platform.AnswerMci(kStatus, "playing");
    Wait(1000);
    EXPECT_EQ(sent, Commands{kStatus});
    story.platform.AnswerMci(kStatus, "STOPPED ");
    Wait(1000);
    EXPECT_TRUE(Restarted(sent));

    // After "Z" a stopped piece is left alone.
    sent.clear();
    story.Scenario("00", "Z" + kLongText + "\n");
    story.Run();
    EXPECT_EQ(Count(sent, kStatus), 1);
    EXPECT_FALSE(Restarted(sent));
}

TEST(MusicTimer, KeepsTickingWhileTheGameOverBoxIsOpen) {
    Story story;
    story.platform.AnswerMci(kStatus, "stopped");
    story.platform.messageBoxOpenFor = 2500;
    story.Scenario("00", "B01XG\n");
    story.Run();
    ASSERT_EQ(story.platform.messageBoxes.size(), 1u);
    // The story reached "G" within its first second; every tick came while the box was open.
    EXPECT_EQ(Count(story.platform.mciCommands, kStatus), 2);
    EXPECT_TRUE(Restarted(story.platform.mciCommands));
}

TEST(MusicTimer, ClosingTheWindowClosesTheMusicFirstAndEndsTheProgram) {
    Story story;
    story.Scenario("00", "B01X" + kLongText + "\n");
    story.platform.CloseWindowAt(200);
    try {
        story.Run();
        FAIL() << "the run went on after the window closed";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.status, 0);
    }
    const Commands& sent = story.platform.mciCommands;
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent.back(), "close MIDI notify");
    EXPECT_EQ(BgmLoop, 0);
    EXPECT_LT(story.platform.now, 300);
}

TEST(MusicTimer, ClosingTheWindowInsteadOfTheGameOverBoxEndsTheSameWay) {
    Story story;
    story.Scenario("00", "B01XG\n");
    story.platform.mainWindowClosedDuringBox = true;
    try {
        story.Run();
        FAIL() << "the run ended without the window's close";
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.status, 0);
    }
    EXPECT_EQ(story.platform.mciCommands.back(), "close MIDI notify");
}

}  // namespace
