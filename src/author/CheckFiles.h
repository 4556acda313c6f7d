#pragma once
// The scenario files of a story as the checker holds them: read by the player's own loader, with
// what is wrong with each file as a whole, and the way back from a script position to the place
// an editor shows.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "author/Diagnostics.h"

struct CheckedFile {
    std::string name;                  // as the folder holds it
    std::string path;
    std::vector<std::u32string> lines;  // decoded, without line ends; at most 500 are run
    std::vector<int> editorLine;        // the editor line each script line starts on
    std::vector<bool> reached;          // run, or shown as a question's answer
    bool loadable = true;               // false: the player stops when it loads this file

    // The editor's line and column of character index (0-based) in script line.
    Diagnostic At(size_t line, size_t index, Severity severity, std::string message) const;
    // The line count as the store sees it: lines past the 500th are never stored.
    size_t Count() const;
};

// Every scenario file the story has loaded so far, by the path the player asks for.
class StoryFiles {
public:
    // The file "Data" + name + ".Dat", read once and checked as a whole into findings; nullptr
    // when it is missing or unreadable (why says which).
    CheckedFile* Load(const std::u32string& name, std::string& why);

    // Every file in the Data folder that looks like a scenario, loaded or not: (name, path).
    std::vector<std::pair<std::string, std::string>> DataFolder() const;

    std::vector<Diagnostic> findings;
    std::map<std::string, std::unique_ptr<CheckedFile>> files;  // by path as found
};
