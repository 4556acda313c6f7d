#include "publish/StoryFolder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/Picture.h"
#include "system/StoryFiles.h"
#include "system/TextCodec.h"

const char32_t* const kProgramCharacters = U"▲▼⇒…　あ♪×ゲームオーバー！";

namespace {

namespace fs = std::filesystem;

using FolderKind = StoryFolderKind;

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return text;
}

// Why the bytes are not what the folder holds; empty when they are.
std::string WrongContent(const FolderKind& kind, const std::string& bytes) {
    if (kind.folder == StoryFolder::Picture) {
        if (bytes.size() < 26 || !IsBitmapFile(bytes)) return "it is not a Windows bitmap";
        const BitmapHeader header = ReadBitmapHeader(bytes);
        const int64_t width = header.width, height = header.height;
        if (width <= 0 || height <= 0 || width > kPictureSideCap || height > kPictureSideCap)
            return "its size (" + std::to_string(width) + " x " + std::to_string(height) +
                   ") is not one the player shows (1 to " + std::to_string(kPictureSideCap) + " pixels a side)";
        return "";
    }
    if (kind.ofKind(bytes)) return "";  // a scenario file is any bytes; the checker has read them
    return kind.folder == StoryFolder::Bgm ? "it is not a MIDI file" : "it is not a wave file";
}

// The two characters of the name may be any ("L海辺" asks for "Pic海辺.bmp"): counted as
// characters, not bytes.
bool NamedAsThePlayerAsks(const FolderKind& kind, const std::string& lowerName) {
    const std::u32string name = FromUtf8(lowerName);
    const std::u32string prefix = FromUtf8(kind.prefix), suffix = FromUtf8(kind.suffix);
    return name.size() == prefix.size() + 2 + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(prefix.size() + 2, suffix.size(), suffix) == 0;
}

void CollectFolder(const fs::path& folder, const FolderKind& kind, CollectedStory& story) {
    const std::string shown = folder.filename().string();
    std::vector<fs::path> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) entries.push_back(entry.path());
    if (error) {
        story.errors.push_back(shown + ": the folder cannot be read: " + error.message());
        return;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& path : entries) {
        const std::string name = path.filename().string();
        const std::string relative = shown + "/" + name;
        if (name.empty() || name[0] == '.') {
            story.leftOut.push_back(relative + " (a hidden file)");
            continue;
        }
        if (fs::is_directory(path, error)) {
            story.leftOut.push_back(relative + "/ (the player reads no folder inside " + shown + ")");
            continue;
        }
        if (!NamedAsThePlayerAsks(kind, Lower(name))) {
            story.errors.push_back(relative + ": not " + kind.what + ", the only kind of file " + kind.name +
                                   " holds");
            continue;
        }
        StoryFile file;
        file.path = relative;
        try {
            file.bytes = ReadAssetFile(path.string(), kind.cap);
        } catch (const RunTimeError& failure) {
            // Names the file, and for one too large, the player's cap.
            story.errors.push_back(failure.what());
            continue;
        }
        const std::string wrong = WrongContent(kind, file.bytes);
        if (!wrong.empty()) {
            story.errors.push_back(relative + ": " + wrong + ", but the " + kind.name + " folder holds only " +
                                   kind.what);
            continue;
        }
        story.hasMusic = story.hasMusic || kind.folder == StoryFolder::Bgm;
        story.files.push_back(std::move(file));
    }
}

}  // namespace

CollectedStory CollectStory(const std::string& folder) {
    CollectedStory story;
    std::vector<fs::path> folders;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    for (const FolderKind& kind : kStoryFolders) {
        for (const fs::path& path : folders) {
            if (Lower(path.filename().string()) != Lower(kind.name) || !fs::is_directory(path, error)) continue;
            CollectFolder(path, kind, story);
            break;  // the player reads the first one that matches
        }
    }
    std::sort(story.files.begin(), story.files.end(),
              [](const StoryFile& a, const StoryFile& b) { return a.path < b.path; });
    return story;
}

std::u32string ShownCharacters(const CollectedStory& story) {
    std::u32string shown = kProgramCharacters;
    for (char32_t c = 0x20; c < 0x7F; ++c) shown += c;
    for (const StoryFile& file : story.files) {
        shown += FromUtf8(file.path);  // an error names the file
        if (Lower(file.path).rfind("data/", 0) != 0) continue;
        for (const ScenarioFileLine& line : SplitScenario(file.path, file.bytes).lines) shown += line.text;
    }
    return shown;
}
