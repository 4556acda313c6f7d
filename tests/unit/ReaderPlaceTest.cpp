// The reader's place kept between sittings: a story read up to a page wait or a question and
// closed, then started again and continued, shows what it showed, with the flags, the picture and
// the music as they were; bad bookmark files, places that cannot be written, stories that share a
// folder's name or have changed, the end of a story, the question asked at the start, and the
// settings. All on the real interpreter against the virtual clock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "script/Bookmark.h"
#include "script/ContinueReading.h"
#include "script/History.h"
#include "script/PictureCommand.h"
#include "script/ReaderPlace.h"
#include "script/ReaderSettings.h"
#include "script/ResumePrompt.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "support/Probes.h"
#include "support/Story.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace fs = std::filesystem;

namespace {

// A fresh place for what is kept, outside any story folder.
struct KeptPlaces {
    fs::path root;
    KeptPlaces() {
        char pattern[] = "/tmp/tessaro-kept-XXXXXX";
        root = ::mkdtemp(pattern);
    }
    ~KeptPlaces() {
        std::error_code ignored;
        fs::permissions(root / "state", fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }
    void Use(TestPlatform& platform) const {
        platform.keptFolders[int(Kept::Bookmarks)] = (root / "state").string();
        platform.keptFolders[int(Kept::Settings)] = (root / "config").string();
    }
    std::vector<std::string> Bookmarks() const {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(root / "state", error))
            if (entry.path().extension() == ".bookmark") names.push_back(entry.path().filename().string());
        return names;
    }
};

struct StoryFiles {
    std::string data00;
    std::string data01 = {};
};

void WriteStory(Story& story, const StoryFiles& files) {
    story.Scenario("00", files.data00);
    if (!files.data01.empty()) story.Scenario("01", files.data01);
    for (const char* picture : {"Pic01.bmp", "Pic02.bmp"}) {
        std::ifstream in(std::string(TESSARO_SOURCE_DIR) + "/story/Picture/" + picture, std::ios::binary);
        story.Write(std::string("Picture/") + picture, std::string(std::istreambuf_iterator<char>(in), {}));
    }
}

// The music as the commands sent left it (the last one, the close of the window's end, left out).
std::string MusicState(const std::vector<std::string>& commands) {
    std::string file, playing;
    for (size_t i = 0; i + 1 < commands.size(); ++i) {
        const std::string& command = commands[i];
        if (command.rfind("open ", 0) == 0) {
            file = command.substr(command.find_last_of("\\/") + 1);
            file = file.substr(0, file.find(' '));
            playing = "";
        } else if (command == "play MIDI notify") {
            playing = " playing";
        } else if (command == "stop MIDI notify") {
            playing = " stopped";
        } else if (command == "close MIDI notify") {
            file = playing = "";
        }
    }
    return file + playing;
}

// What the reader sees and what the story holds, at the moment the window closed.
struct Seen {
    std::string rows, question, picture, music, backlog;
    std::vector<int16_t> flags;
    uint32_t pictureCorner = 0;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
    return out << "rows [" << seen.rows << "] question [" << seen.question << "] picture " << seen.picture
               << " music [" << seen.music << "] backlog [" << seen.backlog << "]";
}

Seen Look(const Story& story) {
    Seen seen;
    const RunState& run = CurrentRun();
    for (int i = 0; i < kRows; ++i) seen.rows += Utf8(run.TextLine[i]) + "|";
    if (QuestionShown())
        seen.question = Utf8(run.ChoiceText[0]) + "/" + Utf8(run.ChoiceText[1]) + "/" + Utf8(run.ChoiceText[2]);
    seen.picture = ShownPicture();
    seen.pictureCorner = CrtPixelAt(10, 10);
    seen.music = MusicState(story.platform.mciCommands);
    for (const HistoryPage& page : RememberedPages())
        for (const std::u32string& row : page) seen.backlog += Utf8(row) + "/";
    seen.flags.assign(std::begin(Flag), std::end(Flag));
    return seen;
}

// The first sitting: the story from its start, the keys one second apart, the window closed half
// a second after the last.
Seen ReadAndClose(const StoryFiles& files, const KeptPlaces& kept, const std::vector<Key>& keys) {
    Story story;
    WriteStory(story, files);
    kept.Use(story.platform);
    KeepReaderPlace(StoryIdentity(), story.folder.string());
    int64_t at = 1000;
    for (const Key key : keys) story.platform.PressKey(at += 1000, key);
    story.platform.CloseWindowAt(at + 900);
    try {
        ADD_FAILURE() << "the story ended: " << story.Run();
    } catch (const ProgramEnd&) {
    }
    return Look(story);
}

// The next sitting, in another folder with the same files: continued from the bookmark, and left
// alone until the window closes after three seconds.
Seen ContinueAndClose(const StoryFiles& files, const KeptPlaces& kept) {
    Story story;
    WriteStory(story, files);
    kept.Use(story.platform);
    Bookmark bookmark;
    const uint64_t identity = StoryIdentity();
    EXPECT_TRUE(FindBookmark(identity, story.folder.string(), bookmark));
    KeepReaderPlace(identity, story.folder.string());
    story.platform.CloseWindowAt(3000);
    try {
        ContinueFromBookmark(bookmark);
        ADD_FAILURE() << "the story ended";
    } catch (const ProgramEnd&) {
    }
    return Look(story);
}

const StoryFiles kFourPages{"L01B01X一頁目です。P\n"
                            "CS03二頁T200目T200です。P\n"
                            "CL02Z三頁目。S04P\n"
                            "C四頁目。Pe\n"};

}  // namespace

TEST(ReaderPlace, ContinuingShowsThePageWithItsFlagsPictureAndMusic) {
    struct Case {
        const char* name;
        StoryFiles files;
        std::vector<Key> keys;  // before the close
        const char* rows;       // what the box holds when the page waits again
    };
    const std::vector<Case> cases = {
        {"the first page", kFourPages, {}, "一頁目です。|||||"},
        {"a page of pauses, music playing", kFourPages, {Key::Space}, "二頁目です。|||||"},
        {"music stopped, a new picture", kFourPages, {Key::Space, Key::Space}, "三頁目。|||||"},
        {"after chaining: flags set before the page began",
         {"一頁目。P\nCD01\n", "S10C二頁目。P\nC三頁目。Pe\n"}, {Key::Space}, "二頁目。|||||"},
        {"after a chain that keeps the page", {"C一頁目。D01\n", "二行目。S11P\nC終わり。Pe\n"}, {}, "一頁目。|二行目。||||"},
        {"after a jump back", {"一頁目。P\nC二頁目\nF07aJ004\nS07J002\nです。P\nC三頁目。Pe\n"}, {Key::Space},
         "二頁目||です。|||"},
        {"at a question", {"L01一頁目。S20P\nQ行きますか\nはい\nいいえ\nFFFaC行く。PebC行かない。Pe\n"}, {Key::Space}, "|||||"},
        {"after the second answer",
         {"L01一頁目。S20P\nQ行きますか\nはい\nいいえ\nFFFaC行く。PebC行かない。Pe\n"},
         {Key::Space, Key::Down, Key::Space}, "行かない。|||||"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeptPlaces kept;
        const Seen before = ReadAndClose(c.files, kept, c.keys);
        EXPECT_EQ(before.rows, c.rows);
        const Seen after = ContinueAndClose(c.files, kept);
        EXPECT_EQ(after, before);
        EXPECT_EQ(kept.Bookmarks().size(), 1u);
    }
}

TEST(ReaderPlace, TheStoryWaitsAtTheQuestionAndTheBacklogIsKept) {
    const StoryFiles files{"一頁目。P\nC二頁目。P\nQ行きますか\nはい\nいいえ\nFFFaC行く。Pe\n"};
    KeptPlaces kept;
    const Seen before = ReadAndClose(files, kept, {Key::Space, Key::Space});
    EXPECT_EQ(before.question, "行きますか/はい/いいえ");
    EXPECT_EQ(before.backlog, "一頁目。/二頁目。/");
    EXPECT_EQ(ContinueAndClose(files, kept), before);
}

TEST(ReaderPlace, TheEndAndTheGameOverBoxForgetThePlace) {
    struct Case {
        const char* last;
        bool closedDuringBox;  // the window closed instead of the game-over box's OK
    };
    for (const Case& c : {Case{"e", false}, Case{"G", false}, Case{"G", true}}) {
        SCOPED_TRACE(std::string(c.last) + (c.closedDuringBox ? ", closed during the box" : ""));
        const StoryFiles files{std::string("一頁目。P\nC二頁目。P\n") + c.last + "\n"};
        KeptPlaces kept;
        ReadAndClose(files, kept, {Key::Space});
        EXPECT_EQ(kept.Bookmarks().size(), 1u) << "kept while the story waits";
        Story story;
        WriteStory(story, files);
        kept.Use(story.platform);
        KeepReaderPlace(StoryIdentity(), story.folder.string());
        story.platform.PressKey(1000, Key::Space);
        story.platform.PressKey(2000, Key::Space);
        story.platform.mainWindowClosedDuringBox = c.closedDuringBox;
        try {
            EXPECT_EQ(story.Run(), "");
        } catch (const ProgramEnd&) {
            EXPECT_TRUE(c.closedDuringBox);
        }
        EXPECT_TRUE(kept.Bookmarks().empty());
    }
}

TEST(ReaderPlace, BadBookmarksAreIgnoredWithOneLine) {
    const StoryFiles files{"L01一頁目。P\nC二頁目。P\nC三頁目。Pe\n"};
    KeptPlaces kept;
    ReadAndClose(files, kept, {Key::Space});
    ASSERT_EQ(kept.Bookmarks().size(), 1u);
    const fs::path file = kept.root / "state" / kept.Bookmarks()[0];
    std::ifstream in(file, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    Bookmark parsed;
    ASSERT_EQ(ParseBookmark(good, parsed), "");

    // A bookmark with one field changed, written with its checksum as the program would.
    const auto rewritten = [&](void (*change)(Bookmark&)) {
        Bookmark changed = parsed;
        change(changed);
        return FormatBookmark(changed);
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    std::string flipped = good;
    flipped[flipped.find("line ") + 5] ^= 1;
    const std::vector<Case> cases = {
        {"empty", "", "is empty"},
        {"cut short", good.substr(0, good.size() / 2), "is cut short"},
        {"without its last line end", good.substr(0, good.size() - 1), "is cut short"},
        {"a byte changed", flipped, "is damaged"},
        {"another version", "Tessaro bookmark 9\n" + good.substr(good.find('\n') + 1), "is from another version"},
        {"not a bookmark", "hello\n", "is not a bookmark file"},
        {"another story's", rewritten([](Bookmark& b) { b.story ^= 1; }), "another story's"},
        {"a line past the file's end", rewritten([](Bookmark& b) { b.line = 400; }), "past the end of Data00.Dat"},
        {"a position past the line's end", rewritten([](Bookmark& b) { b.position = 300; }), "past the end"},
        {"a scenario the story lacks", rewritten([](Bookmark& b) { b.scenario = U"77"; }), "Data77.Dat"},
        {"a picture the story lacks", rewritten([](Bookmark& b) { b.picture = "Pic99.bmp"; }), "Pic99.bmp"},
        {"too large to be one", good + std::string(kKeptFileCap, 'x'), "is not read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        Story story;
        WriteStory(story, files);
        kept.Use(story.platform);
        Bookmark bookmark;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(FindBookmark(StoryIdentity(), story.folder.string(), bookmark));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(said.rfind("tessaro: ", 0), 0u) << said;
        EXPECT_TRUE(story.platform.messageBoxes.empty());
        // And the story plays from its start all the same.
        KeepReaderPlace(StoryIdentity(), story.folder.string());
        story.platform.PressKey(1000, Key::Space);
        story.platform.PressKey(2000, Key::Space);
        story.platform.PressKey(3000, Key::Space);
        EXPECT_EQ(story.Run(), "");
    }
}

TEST(ReaderPlace, APlaceThatCannotBeWrittenCostsTheBookmarkNotTheStory) {
    const StoryFiles files{"一頁目。P\nC二頁目。P\nC三頁目。Pe\n"};
    KeptPlaces kept;
    // The state folder's place is taken by a file (as good as a read-only disk, even for root).
    std::ofstream(kept.root / "state") << "not a folder";
    Story story;
    WriteStory(story, files);
    kept.Use(story.platform);
    KeepReaderPlace(StoryIdentity(), story.folder.string());
    for (int64_t at : {1000, 2000, 3000}) story.platform.PressKey(at, Key::Space);
    testing::internal::CaptureStderr();
    EXPECT_EQ(story.Run(), "");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "noted once a run: " << said;
    EXPECT_NE(said.find("cannot keep the reader's place"), std::string::npos) << said;
    EXPECT_TRUE(story.platform.messageBoxes.empty());
}

TEST(ReaderPlace, StoriesAreKnownByTheirScenarioFilesNotTheirFolders) {
    const StoryFiles first{"一頁目。P\nC二頁目。P\nC三頁目。Pe\n"};
    const StoryFiles second{"一頁目。P\nC別の二頁目。P\nC三頁目。Pe\n"};
    const StoryFiles chained{"一頁目。P\nD01\n", "C二頁目。P\nC三頁目。Pe\n"};
    const StoryFiles chainedChanged{"一頁目。P\nD01\n", "C二頁目が変わった。P\nC三頁目。Pe\n"};
    const auto identity = [](const StoryFiles& files) {
        Story story;
        WriteStory(story, files);
        return StoryIdentity();
    };
    EXPECT_EQ(identity(first), identity(first)) << "the same files in another folder";
    EXPECT_NE(identity(first), identity(second));
    EXPECT_NE(identity(chained), identity(chainedChanged)) << "a file reached by D is part of the story";

    // Two stories in folders of the same name: each keeps its own place.
    KeptPlaces kept;
    const fs::path a = fs::temp_directory_path() / ("tessaro-a-" + std::to_string(::getpid()));
    const fs::path b = fs::temp_directory_path() / ("tessaro-b-" + std::to_string(::getpid()));
    uint64_t ids[2] = {};
    int index = 0;
    for (const StoryFiles* files : {&first, &second}) {
        const int pages = index + 1;  // the first story is left on its second page, the other on its third
        Story story;
        WriteStory(story, *files);
        kept.Use(story.platform);
        const fs::path same = (index == 0 ? a : b) / "story";
        fs::create_directories(same.parent_path());
        fs::rename(story.folder, same);
        story.folder = same;
        SetProgramDirectory(same.string());
        ids[index++] = StoryIdentity();
        KeepReaderPlace(StoryIdentity(), same.string());
        for (int page = 0; page < pages; ++page) story.platform.PressKey(1000 + 1000 * page, Key::Space);
        story.platform.CloseWindowAt(4500);
        try {
            story.Run();
        } catch (const ProgramEnd&) {
        }
    }
    fs::remove_all(a);
    fs::remove_all(b);
    EXPECT_EQ(kept.Bookmarks().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        std::string bytes, why;
        Bookmark bookmark;
        TestPlatform platform;
        kept.Use(platform);
        ASSERT_TRUE(platform.ReadKept(Kept::Bookmarks, BookmarkName(ids[i]), bytes, why));
        ASSERT_EQ(ParseBookmark(bytes, bookmark), "");
        EXPECT_EQ(bookmark.story, ids[i]);
        EXPECT_EQ(bookmark.line, i + 1) << "each story's own page";
        EXPECT_EQ(bookmark.position, 2) << "just after its C";
    }
}

TEST(ReaderPlace, AStoryChangedSinceStartsAfreshWithANote) {
    KeptPlaces kept;
    Story story;
    WriteStory(story, {"一頁目。P\nC二頁目。P\nC三頁目。Pe\n"});
    kept.Use(story.platform);
    KeepReaderPlace(StoryIdentity(), story.folder.string());
    story.platform.PressKey(1000, Key::Space);
    story.platform.CloseWindowAt(1500);
    try {
        story.Run();
    } catch (const ProgramEnd&) {
    }
    ASSERT_EQ(kept.Bookmarks().size(), 1u);
    story.Scenario("00", "一頁目。P\nC書き直した二頁目。P\nC三頁目。Pe\n");
    Bookmark bookmark;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FindBookmark(StoryIdentity(), story.folder.string(), bookmark));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "tessaro: the story has changed since it was last read: it starts from the beginning\n");
    EXPECT_TRUE(kept.Bookmarks().empty()) << "the old place is removed";
}

TEST(ResumePrompt, AsksInTheQuestionsLookAndContinuesByDefault) {
    struct Case {
        const char* name;
        std::vector<Key> keys;
        bool continues;
    };
    const std::vector<Case> cases = {
        {"Space", {Key::Space}, true},
        {"Down, Space", {Key::Down, Key::Space}, false},
        {"Down, Up, Space", {Key::Down, Key::Up, Key::Space}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Story story;
        int64_t at = 600;
        for (const Key key : c.keys) story.platform.PressKey(at += 200, key);
        story.platform.ShootScreenAt(700);
        EXPECT_EQ(AskToContinue(), c.continues);
        EXPECT_EQ(CrtPixelAt(150, 250), 0u) << "black again afterwards, the box gone";
        // The arrow at the first answer, in the box, as a story's question draws it.
        Story question;
        question.Scenario("00", "Q" + Utf8(kResumeQuestion) + "\n" + Utf8(kContinueAnswer) + "\n" +
                                    Utf8(kFromStartAnswer) + "\ne\n");
        question.platform.ShootScreenAt(1000);
        question.platform.PressKey(1100, Key::Space);
        EXPECT_EQ(question.Run(), "");
        EXPECT_EQ(story.platform.shots.at(700), question.platform.shots.at(1000));
    }
    // A click on the second answer chooses it.
    Story story;
    story.platform.MovePointer(800, 60, kTextTop + 30 + 5 + kCrtBorder);
    story.platform.PressKey(800, Key::Space);
    EXPECT_FALSE(AskToContinue());
}

TEST(ReaderSettings, KeptAsWrittenAndBadFilesIgnored) {
    KeptPlaces kept;
    TestPlatform platform;
    kept.Use(platform);
    ReaderSettings settings;
    testing::internal::CaptureStderr();
    settings = ReadReaderSettings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "none yet: the defaults, quietly";
    EXPECT_EQ(settings.volume, 100);
    RememberVolume(40);
    RememberTextSpeed(TextSpeed::Fast);
    RememberMute(true);
    RememberFullscreen(true);
    settings = ReadReaderSettings();
    EXPECT_EQ(settings.volume, 40);
    EXPECT_TRUE(settings.muted);
    EXPECT_EQ(settings.textSpeed, TextSpeed::Fast);
    EXPECT_TRUE(settings.screen.fullscreen);

    const std::string good = FormatReaderSettings(settings);
    for (const std::string& bad : {good.substr(0, 20), std::string("Tessaro settings 2\n"),
                                   good.substr(0, good.find("volume")) + "volume 400\n" +
                                       good.substr(good.find("mute"))}) {
        std::ofstream((kept.root / "config" / "settings"), std::ios::trunc) << bad;
        testing::internal::CaptureStderr();
        settings = ReadReaderSettings();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("tessaro: the settings are ignored: ", 0), 0u) << said;
        EXPECT_EQ(settings.volume, 100) << "the defaults";
    }
}

TEST(ReaderSettings, TheFullscreenTheReaderTurnedOnIsKept) {
    KeptPlaces kept;
    Story story;
    kept.Use(story.platform);
    story.Scenario("00", "一頁目です。P\ne\n");
    ReadReaderSettings();
    story.platform.CloseWindowAt(1000);
    // The window's own key turned it on meanwhile (the machine's doing, seen at the next pump).
    SetEventHook([] {
        if (ClockMs() > 500) static_cast<TestPlatform&>(System()).screenMode.fullscreen = true;
    });
    try {
        story.Run();
    } catch (const ProgramEnd&) {
    }
    SetEventHook(nullptr);
    EXPECT_TRUE(ReadReaderSettings().screen.fullscreen);
}
