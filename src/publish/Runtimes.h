#pragma once
// Where "tessaro publish" finds what players get besides the story: the runtimes (the browser's
// page and program, tessaro.exe for Windows) and the licence texts, shipped with the program in
// one folder: runtime/ beside the program in a build tree, share/tessaro/runtime/ when installed.
// Also the font and the soundfont the web page uses, the same Debian files the player plays with.
#include <string>
#include <vector>

struct RuntimeFolder {
    std::string root;                 // holds web/, windows/ and notices/
    std::vector<std::string> tried;   // every place looked at, for the message when none is found
};

// TESSARO_RUNTIME when it is set; otherwise PROGRAM/runtime, then PROGRAM/../share/tessaro/runtime,
// the first that exists. root is empty when none does.
RuntimeFolder FindRuntimeFolder(const std::string& programFolder);

// The files each runtime must hold; a runtime lacking any is missing.
extern const std::vector<std::string> kWebRuntimeFiles;
extern const std::vector<std::string> kWindowsRuntimeFiles;
// The licence texts publishing puts into bundles, under notices/.
extern const std::vector<std::string> kNoticeFiles;

constexpr const char* kIpaGothicPath = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
constexpr const char* kSoundFontPath = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The names in files missing from folder, as "folder/name".
std::vector<std::string> MissingFiles(const std::string& folder, const std::vector<std::string>& files);

// Every regular file under folder, as paths relative to it ("licenses/fluidsynth.txt"), sorted.
std::vector<std::string> FilesUnder(const std::string& folder);
