#pragma once
// A bookmark: the reader's place in one story, as kept between sittings, and its file. The place
// is the start of the page the reader was on (or the question on screen): from there the story
// runs again exactly as it ran, with the flags, the picture and the music as they were then.
//
// The file is text, UTF-8, one field a line, versioned, and closed by a checksum of everything
// before it; it is never larger than kBookmarkCap (the oldest backlog pages give way).
#include <cstdint>
#include <string>
#include <vector>

#include "script/History.h"

constexpr size_t kBookmarkCap = size_t(48) << 10;  // 48 KiB

struct Bookmark {
    uint64_t story = 0;          // the story's identity (StoryIdentity)
    std::u32string scenario;     // the scenario file, as "D" names it ("00")
    int16_t line = 0;            // where the page began: the line (from 0)
    int16_t position = 1;        // and the character in it (from 1)
    int16_t flags[256] = {};
    std::string picture;         // the background picture's file ("Pic01.bmp"), or none
    std::string music;           // the piece open ("Bgm01.mid"), or none
    bool musicPlaying = false;   // and whether it was playing (looping)
    std::vector<HistoryPage> backlog;  // the pages read before, oldest first
};

// The bookmark as its file holds it.
std::string FormatBookmark(const Bookmark& bookmark);

// Reads a bookmark file: "" and bookmark filled, or what is wrong with it (cut short, not a
// bookmark, from another version, damaged), in a few words.
std::string ParseBookmark(const std::string& bytes, Bookmark& bookmark);

// The checksum that closes kept files: FNV-1a, 64 bits, as 16 hexadecimal digits.
std::string KeptChecksum(const std::string& bytes);

// Splits a kept file into its lines after checking its first line is `header` and its last the
// checksum of the rest: "" or what is wrong.
std::string CheckedLines(const std::string& bytes, const std::string& header, std::vector<std::string>& lines);

// Closes the lines with the checksum line.
std::string WithChecksum(const std::string& text);
