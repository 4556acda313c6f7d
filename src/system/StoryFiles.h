#pragma once
// The story's four folders, in one table: what each holds, the names the player asks for in it,
// how much of one of its files the player reads, and how a file's first bytes tell its kind. The
// player, its devices, the checker and publishing all go by it.
#include <cstddef>
#include <string_view>

#include "system/Files.h"

enum class StoryFolder { Data, Picture, Bgm, Wave };

struct StoryFolderKind {
    StoryFolder folder;
    const char* name;    // as the player names it: "Data"
    const char* prefix;  // the file names the player asks for: prefix, two characters, suffix,
    const char* suffix;  // in any letter case ("data", ".dat")
    const char* what;    // "a scenario file (DataNN.Dat)"
    size_t cap;          // the most of a file the player reads
    // True when the bytes are of the folder's kind, as the player's own reader tells it; a
    // scenario file may be any bytes.
    bool (*ofKind)(std::string_view bytes);
};

extern const StoryFolderKind kStoryFolders[4];

const StoryFolderKind& StoryFolderOf(StoryFolder folder);

// A RIFF "WAVE" file.
bool IsWaveFile(std::string_view bytes);
// A standard MIDI file ("MThd"), or one in a RIFF "RMID" container.
bool IsMidiFile(std::string_view bytes);
// A Windows bitmap's "BM" mark (its header is Picture.h's to read).
bool IsBitmapFile(std::string_view bytes);
