#pragma once
// The checker's findings at the author's lines: a finding in a scenario file that the story's line
// map describes as the file now is moves to its source file and line, with the scenario file's
// own place kept beside it. A map that is out of date for a file, or that cannot be read, is
// named once and not used.
#include <map>
#include <string>
#include <vector>

#include "script/LineMap.h"
#include "author/CheckFiles.h"
#include "author/Diagnostics.h"

class FindingMapper {
public:
    // Reads the map of the story whose folder was set with SetProgramDirectory.
    FindingMapper();

    // The map's entry for a scenario file when it describes the file as it is now, else nullptr.
    const MappedScenario* Valid(const CheckedFile& file);

    // Maps the findings in the files of story, and adds a note for each file the map is out of
    // date for, and one when the map itself cannot be read.
    void Map(const StoryFiles& story, std::vector<Diagnostic>& findings);

private:
    LineMap map;
    std::string problem;
    std::map<std::string, const MappedScenario*> valid;  // by path, once looked at
};
