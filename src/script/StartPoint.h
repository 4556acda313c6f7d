#pragma once
// Where an author asks the story to start ("tessaro --start"): a scenario file and a line in it,
// named as FILE:LINE (a scenario file and its line, or through the story's line map a source file
// and its line) or as *label (a label of the source, through the map).
#include <cstdint>
#include <string>

struct StartPoint {
    std::u32string scenario = U"00";  // as "D" names it
    int16_t line = 0;                 // from 0
};

// True when text has one of the two forms (before the story is looked at).
bool IsStartText(const std::string& text);

// Finds the place text names in the story whose folder is set; returns "" and fills point, or
// says what is wrong (a missing file or label, a line past the file's end, a map out of date).
std::string FindStartPoint(const std::string& text, StartPoint& point);
