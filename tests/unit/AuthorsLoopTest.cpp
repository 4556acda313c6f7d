// The author's loop works on what the author wrote: a source changed after it was converted is
// noticed by every tool (and played as it is now by the player), --start reads the story from its
// beginning so that the scene has its picture and music, the checker reads flag indexes as the
// player does, and "tessaro paths" stops runaway stories at its bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "script/Scenario.h"
#include "script/StartPoint.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/AssetPath.h"
#include "system/Picture.h"
#include "author/Check.h"
#include "author/Paths.h"
#include "author/StaleSources.h"
#include "author/Tools.h"
#include "app/AuthorsAids.h"

namespace fs = std::filesystem;

namespace {

int RunCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return RunTool(int(argv.size()), argv.data());
}

// What a tool writes on standard error while it runs.
struct StandardError {
    StandardError() { testing::internal::CaptureStderr(); }
    std::string Text() { return testing::internal::GetCapturedStderr(); }
};

struct FlagCase {
    const char* line;
    Severity severity;      // of the one finding expected, or Note for none at all
    std::string message;    // a part of it
};

TEST(AuthorsLoop, TheCheckerReadsFlagIndexesAsThePlayerDoes) {
    const std::vector<FlagCase> cases = {
        {"CFO1aあbい。Pe", Severity::Error, "flag index \"O1\" is not two hexadecimal digits (00 to FF): \"FO1\" reads flag 00"},
        {"CSZZあ。Pe", Severity::Error, "\"SZZ\" reads flag 00"},
        {"CS0Gあ。Pe", Severity::Error, "\"S0G\" reads flag 00, and \"G\" is taken as part of it, never shown"},
        {"CS1「あ」。Pe", Severity::Error, "\"S1「\" reads flag 01, and \"「\" is taken as part of it, never shown"},
        {"CF1aあbい。Pe", Severity::Warning, "\"F1a\" reads flag 1A, and its \"a\" is also the branch's label"},
        {"CS01F01aあbい。Pe", Severity::Note, ""},
        {"CSFFRFFF0Faあbい。Pe", Severity::Note, ""},
        {"Cあ。Pe", Severity::Note, ""},  // a page wait, then the end
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.line);
        Story story;
        story.Scenario("00", std::string(c.line) + "\n");
        const CheckResult result = CheckStory(story.folder.string());
        std::vector<Diagnostic> found;
        for (const Diagnostic& d : result.diagnostics)
            if (d.severity != Severity::Note) found.push_back(d);
        if (c.message.empty()) {
            EXPECT_TRUE(found.empty()) << found[0].message;
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << (found.empty() ? "" : found[0].message);
        EXPECT_EQ(found[0].severity, c.severity);
        EXPECT_NE(found[0].message.find(c.message), std::string::npos) << found[0].message;
        EXPECT_EQ(found[0].column, 2);
    }
}

TEST(AuthorsLoop, TheCheckerNotesLinesNoPathRunsAndSuggestsNearNames) {
    Story story;
    // Flag 01 is never set: the jump to line 3 is never taken, though the walk can take it.
    story.Scenario("00", "CあP\nF01aJ002bJ003\nCいP\nCうPe\n");
    const CheckResult result = CheckStory(story.folder.string());
    bool noted = false;
    for (const Diagnostic& d : result.diagnostics)
        noted = noted || (d.severity == Severity::Note && d.line == 3 &&
                          d.message == "never run on any path (the flags never take the branches to it): line 3");
    EXPECT_TRUE(noted) << DiagnosticsText(result.diagnostics, result.filesRead);

    story.Scenario("00", "CあPD16\n");
    story.Scenario("15", "Cう。Pe\n");
    const CheckResult chained = CheckStory(story.folder.string());
    bool suggested = false;
    for (const Diagnostic& d : chained.diagnostics)
        suggested = suggested || (d.severity == Severity::Error && d.message.find("(is it \"D15\"?)") != std::string::npos);
    EXPECT_TRUE(suggested) << DiagnosticsText(chained.diagnostics, chained.filesRead);

    story.Write("story.txt", "Cあ。P\n*home\nCい。P\nJ*hme\n");
    StandardError error;
    EXPECT_EQ(RunCommandLine({"convert", (story.folder / "story.txt").string(), (story.folder / "Data/Data02.Dat").string()}), 1);
    EXPECT_NE(error.Text().find("no label \"hme\" for this jump (is it \"*home\"?)"), std::string::npos);
}

// One story through the whole loop: converted, then its source edited without converting, then
// edited so that it no longer converts.
TEST(AuthorsLoop, EveryToolNoticesASourceChangedAfterItWasConverted) {
    Story story;
    fs::create_directories(story.folder / "Data");
    const std::string source = (story.folder / "story.txt").string();
    const std::string data = (story.folder / "Data/Data00.Dat").string();
    const std::string folder = story.folder.string();
    story.Write("story.txt", "C古い。Pe\n");
    ASSERT_EQ(RunCommandLine({"convert", source, data}), 0);
    for (const char* tool : {"check", "paths"}) {
        SCOPED_TRACE(tool);
        StandardError error;
        const int status = RunCommandLine({tool, folder});
        EXPECT_EQ(error.Text(), "") << "converted: nothing to say";
        EXPECT_EQ(status, 0);
    }

    struct Edit {
        const char* source;
        bool converts;
        std::string said;    // by every tool
        std::string played;  // the first line the player plays
    };
    const std::vector<Edit> edits = {
        {"C新しい。Pe\n", true,
         "story.txt was changed after Data/Data00.Dat was made from it: tessaro convert story.txt Data/Data00.Dat",
         "C新しい。Pe\\"},
        {"C新しい。P\nJ*nowhere\n", false,
         "story.txt was changed and does not convert (story.txt:2:1: no label \"nowhere\"", "C古い。Pe\\"},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.source);
        story.Write("story.txt", edit.source);
        if (!edit.converts) {
            StandardError refused;
            EXPECT_EQ(RunCommandLine({"convert", source, data}), 1);
            refused.Text();
        }
        for (const char* tool : {"check", "paths", "publish"}) {
            SCOPED_TRACE(tool);
            StandardError error;
            EXPECT_EQ(RunCommandLine({tool, folder}), 1);
            const std::string said = error.Text();
            EXPECT_NE(said.find(edit.said), std::string::npos) << said;
        }
        // The player (--start, --watch) plays the source as it is now, when it converts.
        SetProgramDirectory(folder);
        SetSystem(&story.platform);
        StandardError error;
        PlaySourcesAsTheyAre();
        const std::string said = error.Text();
        EXPECT_NE(said.find(edit.converts ? "it plays as it is now" : "does not convert"), std::string::npos) << said;
        LoadScenario(U"00");
        EXPECT_EQ(Utf8(ScriptLine[0]), edit.played);
        SetConvertedScenarios({});
    }
}

// A one-pixel-wide look at the picture area: the colour at (x, y) of the bitmap, as the player
// would show it.
uint32_t PicturePixel(const std::string& picture, int x, int y) {
    const std::unique_ptr<Image> image = LoadPicture(AssetPath("Picture", picture));
    return image->Row(y)[x] & 0xFFFFFF;
}

struct StartCase {
    const char* start;
    const char* picture;  // what a straight read shows there
    const char* music;
    bool playing;
};

TEST(AuthorsLoop, StartShowsThePictureAndMusicAStraightReadWouldHave) {
    // The sample story, read from its beginning with the first answer to each question.
    const std::vector<StartCase> cases = {
        {"Data00.Dat:12", "Pic08.bmp", "Bgm01.mid", true},   // after "CL08" on line 9
        {"Data00.Dat:35", "Pic09.bmp", "Bgm01.mid", true},   // the first answer leads to "CL09"
        {"Data01.Dat:10", "Pic03.bmp", "Bgm02.mid", true},   // "CL03B02X" on its line 1
        {"Data01.Dat:17", "Pic03.bmp", "Bgm02.mid", false},  // "CZ" on line 15 stopped the music
        {"Data02.Dat:5", "Pic04.bmp", "Bgm02.mid", true},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.start);
        Story story;
        fs::copy(fs::path(TESSARO_SOURCE_DIR) / "story", story.folder, fs::copy_options::recursive);
        SetProgramDirectory(story.folder.string());
        StartPoint start;
        ASSERT_EQ(FindStartPoint(c.start, start), "");
        const SceneAtLine scene = ReadToLine(start.scenario, start.line, {});
        EXPECT_TRUE(scene.reached) << scene.why;
        EXPECT_EQ(scene.music, c.music);
        EXPECT_EQ(scene.musicPlaying, c.playing);
        for (const auto& [x, y] : {std::pair{10, 10}, std::pair{150, 100}, std::pair{280, 180}})
            EXPECT_EQ(CrtPixelAt(x, y), PicturePixel(c.picture, x, y)) << x << "," << y;
        EXPECT_EQ(&System(), &story.platform) << "the player's machine is back";
    }

    // A line the read never comes to: a file no path chains to from where it ends.
    Story story;
    story.Scenario("00", "CL01あ。Pe\n");
    story.Scenario("01", "Cい。P\nCう。P\n");
    fs::copy(fs::path(TESSARO_SOURCE_DIR) / "story/Picture", story.folder / "Picture", fs::copy_options::recursive);
    const SceneAtLine scene = ReadToLine(U"01", 1, {});
    EXPECT_FALSE(scene.reached);
    EXPECT_EQ(scene.why, "the story ends before it (end mark at Data00.Dat:1)");
    EXPECT_EQ(CrtPixelAt(150, 100), PicturePixel("Pic01.bmp", 150, 100)) << "what was set on the way";
}

// A counter in flags 00 to 0F + bits: line 1 + i adds one at bit i, and it goes back to line 1.
std::string Counter(int bits) {
    std::string lines = "C数える。P\n";
    char line[64];
    for (int bit = 0; bit < bits; ++bit) {
        std::snprintf(line, sizeof line, "F%02XaR%02XJ%03db" "S%02XJ001\n", bit, bit, bit + 2, bit);
        lines += line;
    }
    return lines;
}

TEST(AuthorsLoop, PathsStopsRunawayStoriesAtItsBoundsAndStreamsPaths) {
    struct LoopCase {
        const char* what;
        std::string scenario;
        PathBounds bounds;
        StoryPath::Ending ending;
        std::string where;
    };
    PathBounds steps;
    steps.maxSteps = 300'000;
    const std::vector<LoopCase> cases = {
        // 4096 states, each with a few jumps: far more than a list could keep cheaply.
        {"a counter in 12 flags that wraps", Counter(12) + "J001\n", {}, StoryPath::Ending::Loop, "goes round for ever"},
        {"a counter in 24 flags: no state comes back", Counter(24) + "e\n", steps, StoryPath::Ending::Bound,
         "stopped after 300000 steps in all"},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.what);
        Story story;
        story.Scenario("00", c.scenario);
        size_t calls = 0;
        const PathsReport report = ExplorePaths(story.folder.string(), c.bounds, [&](const StoryPath& path, size_t n) {
            EXPECT_EQ(n, ++calls);
            EXPECT_EQ(path.ending, c.ending);
            EXPECT_NE(path.where.find(c.where), std::string::npos) << path.where;
        });
        SetSystem(&story.platform);
        EXPECT_EQ(calls, 1u);
        EXPECT_TRUE(report.paths.empty()) << "streamed, not kept";
        EXPECT_EQ(report.stepBoundHit, c.bounds.maxSteps > 0);
    }

    // Two questions, bounded at three paths: each streamed as it ends, the summary says what stopped.
    Story story;
    story.Scenario("00", "Q一？\nはい\nいいえ\nQ二？\nはい\nいいえ\nCおわり。Pe\n");
    StandardError error;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunCommandLine({"paths", "--max-paths", "3", story.folder.string()}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("path 3: answers 2"), std::string::npos) << out;
    EXPECT_NE(out.find("3 paths: 3 end mark\nnote: stopped at 3 paths; more remain (--max-paths N)\n"), std::string::npos) << out;
    EXPECT_EQ(RunCommandLine({"paths", "--max-seconds", "0", story.folder.string()}), 2);
    EXPECT_NE(error.Text().find("--max-seconds takes a number from 1 to 999999, not \"0\""), std::string::npos);
}

}  // namespace
