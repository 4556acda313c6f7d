#include "system/AssetPath.h"

namespace {
std::string programDirectory = ".";
}

const std::string& ProgramDirectory() { return programDirectory; }

void SetProgramDirectory(const std::string& directory) {
    programDirectory = directory;
    // The directory is kept without a trailing separator, as asset paths add their own.
    while (programDirectory.size() > 1 && programDirectory.back() == '/') programDirectory.pop_back();
}

std::string AssetPath(const std::string& folder, const std::string& name) {
    return programDirectory + "\\" + folder + "\\" + name;
}
