// Reading scenario files into the line store.
#include <gtest/gtest.h>

#include "script/Scenario.h"
#include "support/Story.h"
#include "system/Errors.h"

namespace {

std::string Slot(int i) { return Utf8(ScriptLine[size_t(i)]); }

std::string LoadError(Story&) {
    try {
        LoadScenario(U"00");
    } catch (const RunTimeError& error) {
        return error.what();
    }
    return "";
}

TEST(LoadScenario, LineEndsAreCrLfOrLoneCrAndLoneLfStaysInside) {
    Story story;
    story.Write("Data/Data00.Dat", "one\r\ntwo\rthree\nstill three\r\n");
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "one\\");
    EXPECT_EQ(Slot(1), "two\\");
    EXPECT_EQ(Slot(2), "three\nstill three\\");
    EXPECT_EQ(Slot(3), "e");
}

TEST(LoadScenario, TerminatorsAtTheEnd) {
    Story story;
    story.Write("Data/Data00.Dat", "last line without end");
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "last line without end\\");
    EXPECT_EQ(Slot(1), "e");

    story.Write("Data/Data00.Dat", "a\r\n\r\n");
    LoadScenario(U"00");
    EXPECT_EQ(Slot(1), "\\") << "two terminators add one empty line";
    EXPECT_EQ(Slot(2), "e");
}

TEST(LoadScenario, EmptyFileEndsAtOnce) {
    Story story;
    story.Write("Data/Data00.Dat", "");
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "e");
}

TEST(LoadScenario, ShorterFileLeavesTheRestOfALongerOne) {
    Story story;
    std::string forty, ten;
    for (int i = 0; i < 40; ++i) forty += "old" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 10; ++i) ten += "new" + std::to_string(i) + "\r\n";
    story.Write("Data/Data00.Dat", forty);
    story.Write("Data/Data01.Dat", ten);
    LoadScenario(U"00");
    LoadScenario(U"01");
    EXPECT_EQ(Slot(9), "new9\\");
    EXPECT_EQ(Slot(10), "e");
    EXPECT_EQ(Slot(11), "old11\\");
    EXPECT_EQ(Slot(39), "old39\\");
    EXPECT_EQ(Slot(40), "e");
}

TEST(LoadScenario, FiveHundredLinesFitAndOneMoreDoesNot) {
    Story story;
    std::string lines;
    for (int i = 0; i < 500; ++i) lines += "x\r\n";
    story.Write("Data/Data00.Dat", lines);
    EXPECT_EQ(LoadError(story), "");
    EXPECT_EQ(Slot(499), "x\\");
    EXPECT_EQ(Slot(500), "e");

    story.Write("Data/Data00.Dat", lines + "x\r\n");
    const std::string error = LoadError(story);
    EXPECT_NE(error.find("Subscript out of range"), std::string::npos) << error;
    EXPECT_NE(error.find("Data00.Dat"), std::string::npos) << error;
}

TEST(LoadScenario, DecodesShiftJisIncludingNecAndIbmCharacters) {
    Story story;
    // "①" (NEC row 13) and "髙" (IBM extension) are missing from plain Shift-JIS tables.
    story.Write("Data/Data00.Dat", Cp932("日本語①髙▲⇒\r\n"));
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "日本語①髙▲⇒\\");
}

TEST(LoadScenario, InvalidBytesBecomeReplacementCharactersAndDecodingGoesOn) {
    Story story;
    // 0x81 0x20 is a lead byte with an impossible trail; 0xA0 is unassigned; a lone lead byte
    // closes the file.
    story.Write("Data/Data00.Dat", std::string("a\x81 b\xA0" "c\r\nd\x82", 10));
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "a\xEF\xBF\xBD b\xEF\xBF\xBD" "c\\");
    EXPECT_EQ(Slot(1), "d\xEF\xBF\xBD\\");
}

TEST(LoadScenario, NulIsACharacterAndAFinalCtrlZIsDropped) {
    Story story;
    story.Write("Data/Data00.Dat", std::string("a\0b\x1A" "c\r\n\x1A", 8));
    LoadScenario(U"00");
    EXPECT_EQ(ScriptLine[0], std::u32string(U"a\0b\x1A" "c\\", 6));
    EXPECT_EQ(Slot(1), "e");
}

TEST(LoadScenario, NamesMatchWithoutRegardToLetterCase) {
    Story story;
    story.Write("DATA/DATA00.DAT", "shouting\r\n");
    LoadScenario(U"00");
    EXPECT_EQ(Slot(0), "shouting\\");
}

TEST(LoadScenario, MissingFileNamesThePath) {
    Story story;
    const std::string error = LoadError(story);
    EXPECT_EQ(error, "File not found: " + story.folder.string() + "/Data/Data00.Dat");
}

TEST(LoadScenario, ANameWithANulFindsNoFile) {
    Story story;
    // Cut at the NUL, the path would name this file instead.
    story.Write("Data/Data", "not the story\r\n");
    try {
        LoadScenario(std::u32string(U"\0\0", 2));
        FAIL() << "loaded " << Slot(0);
    } catch (const RunTimeError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("File not found", 0), 0u) << error.what();
    }
}

TEST(LoadScenario, ADirectoryIsNotAScenario) {
    Story story;
    std::filesystem::create_directories(story.folder / "Data/Data00.Dat");
    EXPECT_NE(LoadError(story).find("Cannot read file"), std::string::npos);
}

}  // namespace
