// The line map "tessaro convert" writes: the checker and the player's error texts name the line the
// author wrote, with the scenario file's line after it, and neither uses a map that is out of date.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/LineMap.h"
#include "support/Story.h"
#include "author/Check.h"
#include "author/Tools.h"

namespace {

int RunCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return RunTool(int(argv.size()), argv.data());
}

// Label lines move every later line of the scenario up; "J*name" moves the columns after it.
const char* const kSource =
    "C夜の海。P\n"           // 1 -> Data00.Dat 1
    "*unused\n"              // 2 (dropped)
    "F01bJ*endaJ900\n"       // 3 -> 2: J900 stands at column 11 here, 10 there
    "*end\n"                 // 4 (dropped)
    "L02C朝になった。P\n";   // 5 -> 3: there is no Picture 02

struct Case {
    const char* what;
    std::string afterConvert;  // appended to Data00.Dat after converting ("" keeps it as written)
    std::string mapText;       // written over the map after converting ("" keeps it)
    std::vector<std::string> checkPlaces;  // every error: "FILE:LINE:COLUMN [SCENARIO-PLACE]"
    std::string playerPlace;
    bool staleNote;
};

TEST(LineMap, WrittenByConvertUsedByCheckAndThePlayerRefusedWhenStale) {
    const std::vector<Case> cases = {
        {"as converted", "", "",
         {"story.txt:3:11 [Data00.Dat:2:10]", "story.txt:5:1 [Data00.Dat:3:1]"},
         "story.txt:5 (Scenario Data00.Dat, line 3): L02C朝になった。P", false},
        {"edited after converting", Cp932("いP\r\n"), "",
         {"Data00.Dat:2:10 []", "Data00.Dat:3:1 []"},
         "Scenario Data00.Dat, line 3 (the line map is out of date for Data00.Dat, changed since it was "
         "converted from story.txt, and its lines are not mapped): L02C朝になった。P",
         true},
        {"a map that is not one", "", "scenario Data00.Dat\n",
         {"Data00.Dat:2:10 []", "Data00.Dat:3:1 []"},
         "Scenario Data00.Dat, line 3: L02C朝になった。P",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Story story;
        story.Write("story.txt", kSource);
        std::filesystem::create_directories(story.folder / "Data");
        const std::string dat = (story.folder / "Data/Data00.Dat").string();
        ASSERT_EQ(RunCommandLine({"convert", (story.folder / "story.txt").string(), dat}), 0);
        ASSERT_TRUE(std::filesystem::exists(story.folder / "Data" / kLineMapName));
        if (!c.afterConvert.empty()) std::ofstream(dat, std::ios::app | std::ios::binary) << c.afterConvert;
        if (!c.mapText.empty()) story.Write(std::string("Data/") + kLineMapName, c.mapText);

        const CheckResult result = CheckStory(story.folder.string());
        std::vector<std::string> errors;
        int staleNotes = 0;
        for (const Diagnostic& d : result.diagnostics) {
            if (d.severity == Severity::Error)
                errors.push_back(d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + " [" +
                                 (d.scenarioFile.empty() ? "" : d.scenarioFile + ":" + std::to_string(d.scenarioLine) +
                                                                    ":" + std::to_string(d.scenarioColumn)) +
                                 "]");
            staleNotes += d.message.find("line map") != std::string::npos;
        }
        EXPECT_EQ(errors, c.checkPlaces) << DiagnosticsText(result.diagnostics, result.filesRead);
        EXPECT_EQ(staleNotes, c.staleNote ? 1 : 0) << "a map not used is named once";

        story.platform.HoldSkip(0, 1 << 30);  // pages pass
        const std::string error = story.Run();
        EXPECT_NE(error.find("\n" + c.playerPlace), std::string::npos) << error;
    }
}

TEST(LineMap, ReadsWhatItWritesAndRefusesWhatIsNotAMap) {
    LineMap map;
    MappedScenario one;
    one.source = "my story.txt";
    one.size = 12;
    one.hash = ScenarioHash("abc");
    one.sourceLine = {1, 4, 6};
    one.shifts = {{2, 6, 1}};
    one.labels = {{"end", 2}};
    PutMapped(map, "Data00.Dat", one);
    LineMap read;
    std::string why;
    ASSERT_TRUE(ParseLineMap(FormatLineMap(map), read, why)) << why;
    const MappedScenario* found = FindMapped(read, "DATA00.DAT");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->source, "my story.txt");
    EXPECT_EQ(found->sourceLine, one.sourceLine);
    EXPECT_EQ(found->labels, one.labels);
    EXPECT_EQ(found->name, "Data00.Dat");
    int line = 0, column = 0;
    ASSERT_TRUE(SourcePlace(*found, 1, 7, line, column));
    EXPECT_EQ(line, 4);
    EXPECT_EQ(column, 8);
    EXPECT_FALSE(SourcePlace(*found, 3, 1, line, column)) << "past the mapped lines";
    EXPECT_EQ(MapStateOf(found, 12, ScenarioHash("abc")), MapState::Valid);
    EXPECT_EQ(MapStateOf(found, 12, ScenarioHash("abd")), MapState::Stale);

    for (const char* bad : {"lines 1 2\n", "scenario Data00.Dat 12 xyz story.txt\n",
                            "scenario Data00.Dat 12 0123456789abcdef story.txt\nlines 1 x\n", "hello\n"}) {
        EXPECT_FALSE(ParseLineMap(bad, read, why)) << bad;
        EXPECT_TRUE(read.empty());
    }
}

}  // namespace
