// "tessaro publish"'s parts below the command: which story files may go out, the characters the
// cut-down font keeps, the font itself, the web page's title and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <unistd.h>
#include <hb-ot.h>
#include <hb.h>
#include <set>
#include <vector>

#include "publish/Bundles.h"
#include "publish/FontSubset.h"
#include "publish/StoryFolder.h"
#include "publish/StoryTitle.h"
#include "publish/Runtimes.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "platform/posix/PublishFiles.h"
#include "system/TextCodec.h"

namespace {

std::string Bitmap(int width, int height) {
    std::string bytes(54, '\0');
    bytes[0] = 'B', bytes[1] = 'M', bytes[14] = 40;
    for (int i = 0; i < 4; ++i) bytes[18 + i] = char((width >> (8 * i)) & 0xFF), bytes[22 + i] = char((height >> (8 * i)) & 0xFF);
    return bytes;
}
const std::string kMidi = std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
const std::string kWave = std::string("RIFF\4\0\0\0WAVEfmt ", 16);

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

TEST(PublishStory, OnlyFilesOfEachFolderKindGoOut) {
    struct Case {
        const char* path;
        std::string bytes;
        const char* error;  // what the error names, or "" when the file goes out
    };
    const std::vector<Case> cases = {
        {"Data/Data00.Dat", Cp932("C始まり。P\r\n"), ""},
        {"picture/PIC01.BMP", Bitmap(300, 300), ""},
        {"picture/Pic海辺.bmp", Bitmap(300, 300), ""},
        {"picture/Pic海.bmp", Bitmap(300, 300), "picture/Pic海.bmp: not a Windows bitmap (PicNN.bmp)"},
        {"picture/Pic02.bmp", "\x89PNG\r\n\x1a\n0000000000000000000000000000", "picture/Pic02.bmp: it is not a Windows bitmap"},
        {"picture/Pic03.bmp", Bitmap(9000, 10), "picture/Pic03.bmp: its size (9000 x 10)"},
        {"picture/cover.png", "png", "picture/cover.png: not a Windows bitmap (PicNN.bmp)"},
        {"Bgm/Bgm01.mid", kMidi, ""},
        {"Bgm/Bgm02.mid", "ID3 an mp3", "Bgm02.mid: it is not a MIDI file"},
        {"Bgm/theme.mp3", "ID3", "theme.mp3: not a MIDI file (BgmNN.mid)"},
        {"Wave/Wave01.wav", kWave, ""},
        {"Wave/Wave02.wav", kMidi, "Wave02.wav: it is not a wave file"},
        {"Data/story.txt", "text", "story.txt: not a scenario file"},
    };
    Story story;
    for (const Case& c : cases) story.Write(c.path, c.bytes);
    story.Write("Wave/.DS_Store", "x");
    story.Write("picture/old/Pic09.bmp", Bitmap(1, 1));
    story.Write("notes.txt", "the story folder's other files stay home");
    const CollectedStory collected = CollectStory(story.folder.string());
    const std::string errors = Joined(collected.errors);
    std::set<std::string> sent;
    for (const StoryFile& file : collected.files) sent.insert(file.path);
    for (const Case& c : cases) {
        const std::string name = std::filesystem::path(c.path).filename().string();
        if (*c.error == '\0') {
            EXPECT_EQ(errors.find(name), std::string::npos) << c.path << "\n" << errors;
        } else {
            EXPECT_NE(errors.find(c.error), std::string::npos) << c.error << "\n" << errors;
        }
    }
    // Names as the folder holds them (the Picture folder written in lower case here).
    EXPECT_EQ(sent, (std::set<std::string>{"Bgm/Bgm01.mid", "Data/Data00.Dat", "Wave/Wave01.wav", "picture/PIC01.BMP", "picture/Pic海辺.bmp"}));
    EXPECT_TRUE(collected.hasMusic);
    EXPECT_EQ(Joined(collected.leftOut), "picture/old/ (the player reads no folder inside picture)\nWave/.DS_Store (a hidden file)\n");
}

TEST(PublishStory, AFileOverThePlayersCapIsNamed) {
    Story story;
    story.Write("Data/Data00.Dat", std::string(kScenarioFileCap + 1, 'a'));
    const CollectedStory collected = CollectStory(story.folder.string());
    ASSERT_EQ(collected.errors.size(), 1u);
    EXPECT_NE(collected.errors[0].find("File too large"), std::string::npos) << collected.errors[0];
    EXPECT_NE(collected.errors[0].find("Data00.Dat"), std::string::npos) << collected.errors[0];
    EXPECT_FALSE(collected.hasMusic);
}

// Every character the player itself puts on the screen must be in the cut-down font: the
// player's own string literals outside ASCII, read from its sources.
TEST(PublishStory, NamesWindowsCannotMakeAreReplaced) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"灯台の鍵", "灯台の鍵"},
        {"Chapter 1: Lighthouse", "Chapter 1_ Lighthouse"},
        {"..\\..\\x", ".._.._x"},
        {"a<b>c\"d|e?f*g/h", "a_b_c_d_e_f_g_h"},
        {"tab\there", "tab_here"},
        {"tale. . ", "tale"},
        {"CON", "CON_"},
        {"con.txt", "con_.txt"},
        {"Lpt9", "Lpt9_"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"...", ""},
    };
    for (const auto& [name, safe] : cases) EXPECT_EQ(WindowsSafeName(name), safe) << name;
    EXPECT_TRUE(IsUtf8Name("Pic灯台.bmp"));
    for (const std::string bad : {"Pic\x82\xa0.bmp", "\xff", "\xe7\x81", "\xc0\xaf", "\xed\xa0\x80"})
        EXPECT_FALSE(IsUtf8Name(bad)) << PrintableName(bad);
}

TEST(PublishStory, TheTitleIsTheStorysOwn) {
    struct Case {
        const char* titleFile;  // nullptr: none
        const char* firstLines;
        const char* title;
    };
    const std::vector<Case> cases = {
        {nullptr, "L01B01XT800　　　　『灯台の鍵』P\r\nC夏の終わり。P\r\n", "灯台の鍵"},
        {nullptr, "L01C\r\n  潮騒  \r\nP\r\n", "潮騒"},
        {nullptr, "C海が見えた。P\r\n", "folder"},                           // a sentence is not a title
        {nullptr, "C灯台の灯りが、夜の海をゆっくりと照らしている。遠くで汽笛が鳴った気がした\r\nP\r\n", "folder"},
        {nullptr, "Q行く？\r\nはい\r\nいいえ\r\n", "folder"},                 // a question first: no page
        {"\xEF\xBB\xBF\n  Lighthouse Key \r\nsecond\n", "C『灯台の鍵』P\r\n", "Lighthouse Key"},
        {"\x82\xa0\n", "C『灯台の鍵』P\r\n", "灯台の鍵"},                   // not UTF-8: not used
    };
    for (const Case& c : cases) {
        Story story;
        story.Write("Data/Data00.Dat", Cp932(c.firstLines));
        if (c.titleFile != nullptr) story.Write("title.TXT", c.titleFile);
        EXPECT_EQ(StoryTitle(story.folder.string(), CollectStory(story.folder.string()), "folder"), c.title)
            << c.firstLines;
    }
}

// A zip being written has no name until it is whole; what a killed run left is found by the next.
TEST(PublishFiles, APartialFileIsNamedOnlyWhenKept) {
    namespace fs = std::filesystem;
    Story story;
    const fs::path out = story.folder / "out";
    fs::create_directories(out / "a folder.zip");
    const auto names = [&] {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(out)) found.insert(entry.path().filename().string());
        return found;
    };
    {
        PartialFile dropped(out.string());
        dropped.Append("half", 4);
        EXPECT_EQ(names(), std::set<std::string>{"a folder.zip"});
    }
    EXPECT_EQ(names(), std::set<std::string>{"a folder.zip"}) << "a file never kept is gone";

    story.Write("out/story.zip", "earlier");
    fs::permissions(out / "story.zip", fs::perms(0640));
    PartialFile kept(out.string());
    kept.Append("0123456789", 10);
    kept.WriteAt(2, "ab", 2);
    kept.CutTo(6);
    kept.Keep((out / "story.zip").string());
    EXPECT_EQ(ReadWholeFile((out / "story.zip").string(), 100), "01ab45");
    EXPECT_EQ(fs::status(out / "story.zip").permissions(), fs::perms(0640)) << "the earlier file's permissions";
    PartialFile blocked(out.string());
    EXPECT_THROW(blocked.Keep((out / "a folder.zip").string()), RunTimeError);
    EXPECT_TRUE(fs::is_directory(out / "a folder.zip"));

    struct Leftover {
        std::string name;
        bool removed;
    };
    const std::vector<Leftover> leftovers = {
        {".tessaro-partial-99999999-abcd1234", true},  // past any process number (pid_max is at most 2^22)
        {".tessaro-partial-" + std::to_string(::getpid()) + "-abcd1234", false},  // a run going on now
        {".tessaro-partial-1x-abcd1234", false},
        {".story.zip.k3j9x0aa", true},  // an earlier version's, beside a zip of this run's
        {".other.zip.k3j9x0aa", false},
        {".story.zip.k3j9x0a", false},
    };
    for (const Leftover& leftover : leftovers) story.Write("out/" + leftover.name, "x");
    std::vector<std::string> removed = PartialFile::RemoveLeftovers(out.string(), {"story.zip"});
    for (const Leftover& leftover : leftovers) {
        EXPECT_EQ(std::find(removed.begin(), removed.end(), leftover.name) != removed.end(), leftover.removed)
            << leftover.name;
        EXPECT_EQ(fs::exists(out / leftover.name), !leftover.removed) << leftover.name;
    }
}

TEST(PublishFont, KeepsEveryCharacterThePlayerShows) {
    Story story;
    story.Write("Data/Data00.Dat", Cp932("C潮騒、ｶﾀｶﾅ。P\r\n"));
    story.Write("Picture/Pic灯台.bmp", Bitmap(1, 1));
    const std::u32string shown = ShownCharacters(CollectStory(story.folder.string()));
    for (const char32_t c : std::u32string_view(U"潮騒ｶﾀｶﾅ。灯台AZaz09!~ ")) EXPECT_NE(shown.find(c), std::u32string::npos) << uint32_t(c);
    // The string literals of a line, each with its quotes (escapes kept as written).
    const auto literals = [](const std::string& line) {
        std::vector<std::string> found;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '"') continue;
            size_t end = i + 1;
            while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
            found.push_back(line.substr(i, end + 1 - i));
            i = end;
        }
        return found;
    };
    size_t found = 0;
    for (const char* folder : {"script", "window", "sound", "system"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(TESSARO_SOURCE_DIR) + "/src/" + folder)) {
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                const size_t comment = line.find("//");
                if (comment != std::string::npos) line.erase(comment);
                for (const std::string& literal : literals(line)) {
                    for (const char32_t c : FromUtf8(literal)) {
                        if (c < 0x80) continue;
                        ++found;
                        EXPECT_NE(shown.find(c), std::u32string::npos)
                            << entry.path().filename() << ": U+" << std::hex << uint32_t(c) << " is not kept";
                    }
                }
            }
        }
    }
    EXPECT_GT(found, 5u);  // the marks and the game-over box at least
}

TEST(PublishFont, CutDownHoldsTheCharactersAndANameOfItsOwn) {
    const std::string original = ReadAssetFile(kIpaGothicPath, size_t(64) << 20);
    const std::string cut = CutDownFont(original, {U'あ', U'▲', U'A'});
    EXPECT_LT(cut.size(), original.size() / 100);
    hb_blob_t* blob = hb_blob_create(cut.data(), unsigned(cut.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(face);
    hb_codepoint_t glyph = 0;
    for (const char32_t c : {U'あ', U'▲', U'A'}) EXPECT_TRUE(hb_font_get_nominal_glyph(font, c, &glyph)) << uint32_t(c);
    for (const char32_t c : {U'い', U'B'}) EXPECT_FALSE(hb_font_get_nominal_glyph(font, c, &glyph)) << uint32_t(c);
    // The same advances as the original's: the box's geometry must not move.
    hb_blob_t* originalBlob = hb_blob_create(original.data(), unsigned(original.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* originalFace = hb_face_create(originalBlob, 0);
    hb_font_t* originalFont = hb_font_create(originalFace);
    for (const char32_t c : {U'あ', U'A'}) {
        hb_codepoint_t before = 0;
        hb_font_get_nominal_glyph(originalFont, c, &before);
        hb_font_get_nominal_glyph(font, c, &glyph);
        EXPECT_EQ(hb_font_get_glyph_h_advance(font, glyph), hb_font_get_glyph_h_advance(originalFont, before));
    }
    hb_font_destroy(originalFont);
    hb_face_destroy(originalFace);
    hb_blob_destroy(originalBlob);
    for (const hb_ot_name_id_t id : {HB_OT_NAME_ID_FONT_FAMILY, HB_OT_NAME_ID_FULL_NAME, HB_OT_NAME_ID_POSTSCRIPT_NAME}) {
        char name[128];
        unsigned size = sizeof name;
        hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &size, name);
        EXPECT_EQ(std::string(name).find("IPA"), std::string::npos) << name;
        EXPECT_NE(std::string(name).find("Tessaro"), std::string::npos) << name;
    }
    char copyright[512];
    unsigned size = sizeof copyright;
    hb_ot_name_get_utf8(face, HB_OT_NAME_ID_COPYRIGHT, HB_LANGUAGE_INVALID, &size, copyright);
    EXPECT_NE(std::string(copyright).find("IPA"), std::string::npos) << "the original's copyright is kept";
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
}

TEST(PublishWeb, TitleAndManifest) {
    const std::string page = "<html><head><title>Tessaro</title></head><body>"
                             "<div id=\"prompt\" hidden>Click to start</div></body></html>";
    const std::string titled = TitledPage(page, "灯台の<鍵> & \"海\"");
    EXPECT_NE(titled.find("<title>灯台の&lt;鍵&gt; &amp; &quot;海&quot;</title>"), std::string::npos) << titled;
    EXPECT_NE(titled.find("<div id=\"prompt\" hidden><div class=\"story-title\">灯台の&lt;鍵&gt; &amp; &quot;海&quot;</div>Click to start"),
              std::string::npos) << titled;
    EXPECT_THROW(TitledPage("<title>x</title>", "t"), std::runtime_error);

    CollectedStory story;
    story.files = {{"Data/Data00.Dat", "", 3}, {"Bgm/Bgm\"01.mid", "", 5}};
    EXPECT_EQ(WebManifest(story, "f.ttf", 10, "", 0),
              "{\n \"files\": [\n  {\"path\": \"Data/Data00.Dat\", \"size\": 3},\n"
              "  {\"path\": \"Bgm/Bgm\\\"01.mid\", \"size\": 5}\n ],\n \"font\": {\"path\": \"f.ttf\", \"size\": 10}\n}\n");
    EXPECT_NE(WebManifest(story, "f.ttf", 10, "s.sf2", 7).find("\"soundFont\": {\"path\": \"s.sf2\", \"size\": 7}"),
              std::string::npos);
}

}  // namespace
