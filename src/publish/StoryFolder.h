#pragma once
// A story folder as it goes out to players: the files of its four folders, each read whole and
// checked to be of its folder's kind and within what the player reads.
#include <string>
#include <vector>

struct StoryFile {
    std::string path;   // "Data/Data00.Dat": the folder and the name as the story holds them
    std::string bytes;
};

struct CollectedStory {
    std::vector<StoryFile> files;      // sorted by path
    std::vector<std::string> errors;   // each names its file: nothing may be published
    std::vector<std::string> leftOut;  // what is not sent, and why (hidden files, subfolders)
    bool hasMusic = false;             // a piece of music is among the files
};

// Reads the Data, Picture, Bgm and Wave folders of the story (any letter case). A file that is
// not of its folder's kind (a scenario file, a Windows bitmap, a MIDI file, a wave file, by its
// name and its first bytes) or is larger than the player reads is an error; hidden files
// (".name") and folders inside them are left out. Nothing else of the story folder goes out.
CollectedStory CollectStory(const std::string& folder);

// What the player's own texts and the story's scenario files show, for cutting the font down:
// the story's characters as the player decodes them, printable ASCII (messages and file names),
// and the program's marks and boxes.
std::u32string ShownCharacters(const CollectedStory& story);

// The characters the program itself puts on the screen besides the story's: the page mark, the
// answer arrow, the game-over box, the ellipsis of a shortened line in an error, the glyph the
// picture area measures with.
extern const char32_t* const kProgramCharacters;
