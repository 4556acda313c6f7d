#pragma once
// A story folder as it goes out to players: the files of its four folders, each checked to be of
// its folder's kind and within what the player reads, by its name and its first bytes. Nothing is
// read whole here: the bundles stream each file from disk.
#include <cstdint>
#include <string>
#include <vector>

struct StoryFile {
    std::string path;    // "Data/Data00.Dat": the folder and the name as the story holds them
    std::string source;  // the file on disk, its real path (inside the story folder)
    uint64_t size = 0;
};

struct CollectedStory {
    std::vector<StoryFile> files;      // sorted by path
    std::vector<std::string> errors;   // each names its file: nothing may be published
    std::vector<std::string> leftOut;  // what is not sent, and why (hidden files, subfolders, the line map)
    bool hasMusic = false;             // a piece of music is among the files
    uint64_t totalSize = 0;
};

// The most one story may publish, all its files together. The web page fetches every file before
// the story starts and keeps them in the browser's memory, where a phone has far less than this;
// it also keeps both zips well inside the 4 GiB a zip without Zip64 may hold.
constexpr uint64_t kStoryTotalCap = uint64_t(512) << 20;

// Reads the Data, Picture, Bgm and Wave folders of the story (any letter case). A file that is
// not of its folder's kind (a scenario file, a Windows bitmap, a MIDI file, a wave file, by its
// name and its first bytes), is larger than the player reads, has a name that is not UTF-8 or
// that Windows cannot hold, or whose real path (through links) is outside the story folder, is an
// error; so is a story past kStoryTotalCap. Hidden files (".name"), folders inside the four, and
// "tessaro convert"'s line map with the sources it names are left out. Nothing else of the story
// folder goes out.
CollectedStory CollectStory(const std::string& folder);

// What the player's own texts and the story's scenario files show, for cutting the font down:
// the story's characters as the player decodes them, printable ASCII (messages and file names),
// and the program's marks and boxes.
std::u32string ShownCharacters(const CollectedStory& story);

// The characters the program itself puts on the screen besides the story's: the page mark, the
// answer arrow, the game-over box, the ellipsis of a shortened line in an error, the glyph the
// picture area measures with.
extern const char32_t* const kProgramCharacters;

// True when bytes are UTF-8 throughout (no stray, overlong or cut-short sequences).
bool IsUtf8Name(const std::string& bytes);

// A name Windows can create for a file or folder: the characters it forbids (< > : " / \ | ? *
// and controls) become "_", trailing dots and spaces go, and a reserved device name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, with any extension) gets a "_" after it. Empty when nothing is left.
std::string WindowsSafeName(const std::string& name);
