// An author's start: --start FILE:LINE or *label (through the line map "tessaro convert" writes) and
// --flag N=V start the story there, in the right file of a chain, with those flags.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "script/StartPoint.h"
#include "script/Steering.h"
#include "support/Story.h"
#include "author/Tools.h"
#include "app/Options.h"

namespace {

int RunCommandLine(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return RunTool(int(argv.size()), argv.data());
}

// Data00 chains to Data01, whose line 3 (0-based 1) branches on flag 01.
const char* const kFirst = "C最初。P\nD01\n";
const char* const kSecond =
    "CS02いち。P\n"       // 1 -> Data01.Dat line 1
    "*mid\n"              // 2
    "CにF01aJ*yesbJ*no\n" // 3 -> 2
    "*yes\n"              // 4
    "はい。P\n"           // 5 -> 3
    "e\n"                 // 6 -> 4
    "*no\n"               // 7
    "いいえ。P\n";        // 8 -> 5

struct Case {
    const char* start;
    std::vector<const char*> flags;  // as --flag takes them
    std::string problem;             // a part of the complaint, or "" when it starts
    std::string firstRow;            // what the box's top row holds at the end
    bool lineOneRan;                 // Data01's first line (which sets flag 02) was run
};

TEST(Start, ByLineAndByLabelAcrossAChainWithFlags) {
    const std::vector<Case> cases = {
        {"", {}, "", "にいいえ。", true},
        {"Data01.Dat:1", {}, "", "にいいえ。", true},
        {"DATA01.DAT:2", {"01=1"}, "", "にはい。", false},
        {"*mid", {"1=1", "01=0"}, "", "にいいえ。", false},
        {"*mid", {"01=1"}, "", "にはい。", false},
        {"second.txt:3", {"01=1"}, "", "にはい。", false},
        {"second.txt:2", {}, "", "にいいえ。", false},  // a label line starts at the line it names
        {"second.txt:1", {}, "", "にいいえ。", true},
        {"*nowhere", {}, "no such label", "", false},
        {"Data01.Dat:9", {}, "Data01.Dat has 5 lines", "", false},
        {"Data07.Dat:1", {}, "File not found", "", false},
        {"second.txt:99", {}, "has no line 99", "", false},
        {"third.txt:1", {}, "no scenario file in the line map was converted from third.txt", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        Story story;
        story.Write("first.txt", kFirst);
        story.Write("second.txt", kSecond);
        std::filesystem::create_directories(story.folder / "Data");
        for (const char* name : {"first", "second"})
            ASSERT_EQ(RunCommandLine({"convert", (story.folder / (std::string(name) + ".txt")).string(),
                                      (story.folder / "Data" / (name[0] == 'f' ? "Data00.Dat" : "Data01.Dat")).string()}),
                      0);

        std::vector<std::string> arguments = {"tessaro"};
        if (*c.start != '\0') arguments.insert(arguments.end(), {"--start", c.start});
        for (const char* flag : c.flags) arguments.insert(arguments.end(), {"--flag", flag});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        const CommandLine line = ReadCommandLine(int(argv.size()), argv.data());
        ASSERT_EQ(line.action, CommandLine::Action::Play) << line.problem;

        StartPoint start;
        if (!line.start.empty()) {
            const std::string problem = FindStartPoint(line.start, start);
            if (!c.problem.empty()) {
                EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
                EXPECT_EQ(problem.rfind("--start " + std::string(c.start) + ": ", 0), 0u) << problem;
                continue;
            }
            ASSERT_EQ(problem, "");
        }
        ASSERT_TRUE(c.problem.empty()) << "expected a complaint";
        // As the program starts.
        story.platform.HoldSkip(0, 1 << 30);
        LoadScenario(start.scenario);
        for (const auto& [index, value] : line.flags) Flag[index] = value;
        RunScript(start.line);
        EXPECT_EQ(Utf8(CurrentRun().TextLine[0]), c.firstRow);
        EXPECT_EQ(Flag[2] != 0, c.lineOneRan);
    }
}

TEST(Start, AStaleMapIsNotUsedAndBadValuesNameTheirOption) {
    Story story;
    story.Write("second.txt", kSecond);
    std::filesystem::create_directories(story.folder / "Data");
    const std::string dat = (story.folder / "Data/Data01.Dat").string();
    ASSERT_EQ(RunCommandLine({"convert", (story.folder / "second.txt").string(), dat}), 0);
    std::ofstream(dat, std::ios::app | std::ios::binary) << "CP\r\n";
    StartPoint start;
    EXPECT_NE(FindStartPoint("*mid", start).find("out of date for Data01.Dat"), std::string::npos);
    EXPECT_EQ(FindStartPoint("Data01.Dat:6", start), "") << "the scenario's own lines need no map";
    EXPECT_EQ(start.line, 5);

    const std::vector<std::pair<std::vector<std::string>, std::string>> misuses = {
        {{"--start"}, "--start needs a value"},
        {{"--start", "story.txt"}, "--start takes FILE:LINE"},
        {{"--start", "story.txt:0"}, "--start takes FILE:LINE"},
        {{"--start", "*bad-name"}, "--start takes FILE:LINE"},
        {{"--flag", "100=1"}, "--flag takes N=V"},
        {{"--flag", "0G=1"}, "--flag takes N=V"},
        {{"--flag=01=2"}, "--flag takes N=V"},
        {{"--flag"}, "--flag needs a value"},
    };
    for (const auto& [words, problem] : misuses) {
        std::vector<std::string> arguments = {"tessaro"};
        arguments.insert(arguments.end(), words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        const CommandLine line = ReadCommandLine(int(argv.size()), argv.data());
        EXPECT_EQ(line.action, CommandLine::Action::Misuse) << words[0];
        EXPECT_EQ(line.problem.rfind(problem, 0), 0u) << line.problem;
    }
}

}  // namespace
