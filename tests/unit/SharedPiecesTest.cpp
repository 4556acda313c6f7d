// The pieces every machine shares above the seam: the music device's states (what a machine's
// synthesizer is asked to do), the window's scale rule, the story's file kinds and the code page's
// shape. Each machine's own tests check the same pieces end to end.
#include <gtest/gtest.h>

#include <vector>

#include "support/Story.h"
#include "system/MusicDevice.h"
#include "system/Scaling.h"
#include "system/StoryFiles.h"
#include "system/TextCodec.h"

namespace {

// A synthesizer that writes down what it is asked, with a position that ends where told.
class RecordingPlayer : public MusicPlayer {
public:
    void Load(const std::string& midi) override { calls += "load(" + midi.substr(0, 4) + ") "; }
    bool Play(bool fromStart) override {
        calls += fromStart ? "play(start) " : "play ";
        return playable;
    }
    void Stop() override { calls += "stop "; }
    void Rewind() override { calls += "rewind "; }
    void Close() override { calls += "close "; }
    bool AtEnd() override { return atEnd; }
    std::string calls;
    bool atEnd = false, playable = true;
};

std::string Little32(uint32_t n) {
    return {char(n & 0xFF), char(n >> 8 & 0xFF), char(n >> 16 & 0xFF), char(n >> 24 & 0xFF)};
}

const std::string kMidi = "MThd" + std::string(10, '\0');

}  // namespace

TEST(MusicDevice, CommandsMoveThePieceAndAskThePlayerOnlyToPlay) {
    Story story;
    story.Write("Bgm/Bgm01.mid", kMidi);
    story.Write("Bgm/Bgm02.mid", "not music at all");
    const std::string piece = "\"" + (story.folder / "Bgm" / "Bgm01.mid").string() + "\"";
    const std::string noise = (story.folder / "Bgm" / "Bgm02.mid").string();
    struct Step {
        std::string command;
        std::string answer;  // of "status MIDI mode" after the command
        std::string calls;
        bool atEnd = false, playable = true;
    };
    const std::vector<std::vector<Step>> runs = {
        {{"play MIDI", "", ""}, {"open " + noise + " alias MIDI", "", ""}, {"close MIDI", "", ""}},
        {{"open " + piece + " alias MIDI", "stopped", "load(MThd) "},
         {"open " + piece + " alias MIDI", "stopped", ""},  // the alias is taken
         {"play MIDI notify", "playing", "play "},
         {"stop MIDI", "stopped", "stop "},
         {"play MIDI", "stopped", "", true},  // at the end: nothing left to play
         {"play MIDI from 0", "playing", "play(start) "},
         {"seek MIDI to start", "stopped", "rewind "},
         {"play MIDI", "stopped", "play ", false, false},  // the player could not start
         {"close MIDI", "", "close "},
         {"close MIDI", "", ""}},
        {{"open " + piece + " alias MIDI", "stopped", "load(MThd) "},
         {"play MIDI", "playing", "play "},
         {"bogus MIDI", "playing", ""},
         {"bogus MIDI", "stopped", "", true}},  // played to its end
    };
    for (const auto& run : runs) {
        MusicDevice device;
        RecordingPlayer player;
        for (const Step& step : run) {
            player.calls.clear();
            player.atEnd = step.atEnd;
            player.playable = step.playable;
            EXPECT_EQ(device.Send(ParseMciCommand(step.command), player), "") << step.command;
            EXPECT_EQ(player.calls, step.calls) << step.command;
            EXPECT_EQ(device.Send(ParseMciCommand("status MIDI mode"), player), step.answer) << step.command;
        }
    }
}

TEST(MusicDevice, AWindowsMidiContainerGivesTheStandardFileInside) {
    const std::string data = kMidi + "xy";
    // A chunk of odd length is padded to an even one before the next.
    const std::string rmid = "RIFF" + Little32(99) + "RMID" + "LIST" + Little32(3) + "abc" + '\0' + "data" +
                             Little32(uint32_t(data.size())) + data;
    EXPECT_EQ(StandardMidiFile(rmid), data);
    EXPECT_EQ(StandardMidiFile(kMidi), kMidi);
    EXPECT_EQ(StandardMidiFile("RIFF" + Little32(99) + "RMID" + "data" + Little32(4) + "junk"), "");
    EXPECT_EQ(StandardMidiFile("RIFF" + Little32(99) + "RMIDjunk" + Little32(0xFFFFFFF7u)), "");
    EXPECT_EQ(StandardMidiFile("RIFF" + Little32(99) + "WAVE" + std::string(8, '\0')), "");
}

TEST(StoryFiles, EachFolderTellsItsKindByTheFirstBytes) {
    const std::string wave = "RIFF" + Little32(4) + "WAVE";
    const std::string rmid = "RIFF" + Little32(12) + "RMID" + std::string(8, '\0');
    const struct {
        std::string bytes;
        bool wave, midi, bitmap;
    } cases[] = {
        {wave, true, false, false},
        {wave.substr(0, 11), false, false, false},
        {kMidi, false, true, false},
        {kMidi.substr(0, 13), false, false, false},
        {rmid, false, true, false},
        {rmid.substr(0, 19), false, false, false},
        {"BM", false, false, true},
        {"B", false, false, false},
        {"", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWaveFile(c.bytes), c.wave) << c.bytes;
        EXPECT_EQ(IsMidiFile(c.bytes), c.midi) << c.bytes;
        EXPECT_EQ(IsBitmapFile(c.bytes), c.bitmap) << c.bytes;
        EXPECT_EQ(StoryFolderOf(StoryFolder::Wave).ofKind(c.bytes), c.wave);
        EXPECT_EQ(StoryFolderOf(StoryFolder::Bgm).ofKind(c.bytes), c.midi);
        EXPECT_EQ(StoryFolderOf(StoryFolder::Picture).ofKind(c.bytes), c.bitmap);
        EXPECT_TRUE(StoryFolderOf(StoryFolder::Data).ofKind(c.bytes));
    }
    for (const StoryFolderKind& kind : kStoryFolders) EXPECT_EQ(&StoryFolderOf(kind.folder), &kind) << kind.name;
    EXPECT_EQ(StoryFolderOf(StoryFolder::Data).cap, kScenarioFileCap);
    EXPECT_EQ(StoryFolderOf(StoryFolder::Bgm).cap, kMediaFileCap);
}

TEST(Scaling, TheWindowsScaleAndWhereTheImageLies) {
    const struct {
        ScreenMode mode;
        DesktopRoom room;
        int scale;
    } windows[] = {
        {{3, false, false}, {false, 0, 0}, 3},     // the desktop unknown: as asked
        {{12, false, false}, {false, 0, 0}, 8},    // at most 8
        {{0, false, false}, {true, 100, 100}, 1},  // at least 1, even on a tiny desktop
        {{4, false, false}, {true, 1920, 1040}, 3},
        {{2, false, false}, {true, 1920, 1040}, 2},
        {{1, true, false}, {true, 1920, 1040}, 2},  // 85% of the room
        {{1, true, false}, {true, 3840, 2120}, 5},
        {{5, true, false}, {false, 0, 0}, 5},
    };
    for (const auto& w : windows)
        EXPECT_EQ(WindowScale(w.mode, 304, 304, w.room), w.scale) << w.mode.scale << " in " << w.room.width;

    const struct {
        int surfaceWidth, surfaceHeight, windowScale;
        bool fullscreen;
        Placement at;
    } places[] = {
        {608, 608, 2, false, {0, 0, 2}},
        {1920, 1080, 2, false, {656, 236, 2}},  // a window made larger keeps its scale, centred
        {1920, 1080, 2, true, {504, 84, 3}},    // fullscreen takes the largest that fits
        {200, 200, 1, true, {0, 0, 1}},         // never below 1, never off to the left
    };
    for (const auto& p : places) {
        const Placement at = PlaceImage(304, 304, p.surfaceWidth, p.surfaceHeight, p.windowScale, p.fullscreen);
        EXPECT_EQ(at.x, p.at.x) << p.surfaceWidth;
        EXPECT_EQ(at.y, p.at.y) << p.surfaceWidth;
        EXPECT_EQ(at.scale, p.at.scale) << p.surfaceWidth;
    }
}

TEST(TextCodec, TheCodePagesShapeAroundAMachinesPairTable) {
    const Cp932Pair pairs = [](unsigned char lead, unsigned char trail) -> char32_t {
        return lead == 0x82 && trail == 0xA0 ? U'あ' : 0;
    };
    std::vector<size_t> invalid;
    EXPECT_EQ(DecodeCp932Pairs("a\xB1\x82\xA0z", &invalid, pairs), U"aｱあz");
    EXPECT_TRUE(invalid.empty());
    // An unknown pair, a byte no character starts with, and a lead cut short: each marked once,
    // and decoding goes on with the next byte.
    EXPECT_EQ(DecodeCp932Pairs("\x82\x41" "b\x80\x82", &invalid, pairs), U"\uFFFDAb\uFFFD\uFFFD");
    EXPECT_EQ(invalid, (std::vector<size_t>{0, 3, 4}));
}
