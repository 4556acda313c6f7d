// No file a story names can hold the window up or take the memory: special files, files beyond
// the size caps, picture headers that claim huge sizes; nothing stays open after a command; error
// texts name the real cause and show junk bytes escaped.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "script/Scenario.h"
#include "support/Story.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "platform/sdl/MidiDevice.h"
#include "system/Picture.h"
#include "platform/sdl/WaveDevice.h"
#include "unit/AudioTestFiles.h"
#include "app/Main.h"

using namespace audiotest;

namespace {

// The scenario lines that use each kind of file, and where the file lies.
struct Kind {
    const char* file;
    const char* scenario;  // "" when the file is the scenario itself
    bool stops;            // scenarios and pictures stop the story; music and effects are silent
};
const Kind kKinds[] = {{"Data/Data00.Dat", "", true},
                       {"Picture/Pic01.bmp", "L01\n", true},
                       {"Bgm/Bgm01.mid", "B01X\n", false},
                       {"Wave/Wave01.wav", "W01\n", false}};

void UseDummyAudio(Story& story) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    story.platform.UseRealAudio();
}

// Runs the story with real audio; returns its error text.
std::string RunWithAudio(Story& story, const Kind& kind) {
    if (*kind.scenario) story.Scenario("00", kind.scenario);
    UseDummyAudio(story);
    const std::string error = story.Run();
    EXPECT_NE(MidiSendCommand("status MIDI mode"), "playing");
    EXPECT_FALSE(WaveIsPlaying());
    MidiSendCommand("close MIDI");
    return error;
}

int OpenDescriptors() {
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    while (dir != nullptr && ::readdir(dir) != nullptr) ++count;
    if (dir != nullptr) ::closedir(dir);
    return count;
}

// A bitmap header (file header and an info header of `infoSize` bytes) and `pixelBytes` zeros.
std::string Bitmap(uint32_t infoSize, int32_t width, int32_t height, int bits, size_t pixelBytes) {
    const uint32_t offset = 14 + infoSize;
    std::string info = Number(infoSize, 4, true);
    if (infoSize == 12)
        info += Number(uint32_t(width), 2, true) + Number(uint32_t(height), 2, true) +
                Number(1, 2, true) + Number(uint32_t(bits), 2, true);
    else
        info += Number(uint32_t(width), 4, true) + Number(uint32_t(height), 4, true) +
                Number(1, 2, true) + Number(uint32_t(bits), 2, true) + std::string(infoSize - 16, '\0');
    return "BM" + Number(uint32_t(offset + pixelBytes), 4, true) + std::string(4, '\0') +
           Number(offset, 4, true) + info + std::string(pixelBytes, '\0');
}

TEST(BoundedFiles, SpecialFilesNeverBlock) {
    // Should opening block after all, the alarm ends the process rather than hanging the run.
    ::alarm(60);
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.file);
        Story story;
        story.Write(kind.file, "");
        const std::string path = (story.folder / kind.file).string();
        std::filesystem::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        if (kind.stops)
            EXPECT_EQ(RunWithAudio(story, kind).rfind("Cannot read file: " + path + " (not a regular file)", 0), 0u);
        else
            EXPECT_EQ(RunWithAudio(story, kind), "");
    }
    ::alarm(0);
}

TEST(BoundedFiles, SizeCaps) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.file);
        Story story;
        const size_t cap = *kind.scenario ? kMediaFileCap : kScenarioFileCap;
        story.Write(kind.file, "");
        const std::string path = (story.folder / kind.file).string();
        std::filesystem::resize_file(path, cap + 1);  // sparse: no disk is spent
        const std::string error = RunWithAudio(story, kind);
        if (kind.stops)
            EXPECT_EQ(error.rfind("File too large: " + path + " (more than " +
                                      std::to_string(cap >> 20) + " MiB)", 0), 0u) << error;
        else
            EXPECT_EQ(error, "");
    }
    Story atTheCap;  // a scenario of exactly the cap is read
    atTheCap.Write("Data/Data00.Dat", "e");
    std::filesystem::resize_file(atTheCap.folder / "Data/Data00.Dat", kScenarioFileCap);
    EXPECT_EQ(atTheCap.Run(), "");
}

TEST(BoundedFiles, PictureHeadersClaimingHugeSizesAreRefusedAtOnce) {
    const struct {
        std::string bytes;
        const char* why;  // "" for pictures that show
    } cases[] = {
        {Bitmap(40, 60000, 60000, 24, 100), "60000 x 60000 pixels is too large"},  // 154 bytes
        {Bitmap(12, 9000, 2, 24, 64), "9000 x 2 pixels is too large"},
        {Bitmap(124, 2, -9000, 24, 64), "2 x 9000 pixels is too large"},
        {Bitmap(40, 2, INT_MIN, 24, 64), "2 x 2147483648 pixels is too large"},
        {Bitmap(108, 0, 2, 24, 64), "the picture has no pixels"},
        {Bitmap(40, 8192, 8192, 32, 1000), "the file ends before its pixels do"},
        {Bitmap(40, 2, 2, 24, 14).substr(0, 22), "the picture has no pixels"},  // cut in its header
        {Bitmap(12, 2, 2, 24, 16), ""},
        {Bitmap(40, 2, -2, 24, 16), ""},
        {Bitmap(124, 2, 2, 32, 16), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Story story;
        story.Write("Picture/Pic01.bmp", c.bytes);
        story.Scenario("00", "L01\n");
        const std::string path = (story.folder / "Picture/Pic01.bmp").string();
        const std::string error = story.Run();
        EXPECT_EQ(error.substr(0, error.find('\n')),
                  *c.why ? "Invalid picture: " + path + " (" + c.why + ")" : "");
    }
}

TEST(BoundedFiles, NothingStaysOpenAfterTheCommands) {
    Story story;
    const std::string folder = story.folder.string();
    story.Write("Wave/Wave01.wav", "junk");  // short files of no known kind were kept open
    story.Write("Wave/Wave02.wav", ToneWave(5, 1000));
    story.Write("Bgm/Bgm01.mid", Melody(2));
    story.Write("Picture/Pic01.bmp", Bitmap(40, 2, 2, 24, 16));
    story.Scenario("01", "e\n");
    UseDummyAudio(story);
    const int before = OpenDescriptors();
    for (int i = 0; i < 2000; ++i) {
        PlayWaveFile(folder + "/Wave/Wave0" + std::to_string(1 + i % 2) + ".wav");
        if (i % 10 != 0) continue;
        MidiSendCommand("open " + folder + "/Bgm/Bgm01.mid alias MIDI");
        MidiSendCommand("close MIDI");
        LoadPicture(folder + "/Picture/Pic01.bmp");
        LoadScenario(U"01");
    }
    EXPECT_EQ(OpenDescriptors(), before);
    PlayWaveFile("");
}

TEST(BoundedFiles, ErrorTextsNameTheCauseAndEscapeJunkBytes) {
    Story story;
    story.Scenario("00", "L01\n");
    const std::string path = (story.folder / "Picture/Pic01.bmp").string();
    std::filesystem::create_directories(story.folder / "Picture");
    std::filesystem::create_symlink(path, path);  // a loop: refused whoever runs the test
    EXPECT_EQ(story.Run().rfind("Cannot read file: " + path + " (Too many levels of symbolic links)", 0), 0u);
    if (::geteuid() != 0) {  // permissions bind everyone but root
        std::filesystem::remove(path);
        story.Write("Picture/Pic01.bmp", Bitmap(40, 2, 2, 24, 16));
        std::filesystem::permissions(path, std::filesystem::perms::none);
        EXPECT_EQ(story.Run().rfind("Cannot read file: " + path + " (Permission denied)", 0), 0u);
    }
    std::filesystem::remove(path);
    story.Write("Picture/Pic01.bmp", "");
    EXPECT_EQ(story.Run().rfind("Invalid picture: " + path + " (the file is empty)", 0), 0u);
    story.Write("Data/Data00.Dat", "L\x01\x1b\r\n");
    EXPECT_EQ(story.Run().rfind("File not found: " + story.folder.string() + "/Picture/Pic\\x01\\x1b.bmp\n", 0), 0u);
    EXPECT_EQ(std::string(FileNotFound("/a\x81/b\xe3\x81\x82\x7f").what()), "File not found: /a\\x81/b\xe3\x81\x82\\x7f");

    char program[] = "tessaro", empty[] = "";
    char* argv[] = {program, empty, nullptr};
    EXPECT_EQ(Main(2, argv), 2) << "an empty folder name is a usage error";
}

}  // namespace
