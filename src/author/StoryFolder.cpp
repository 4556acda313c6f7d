#include "author/StoryFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string_view>

#include "script/LineMap.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/Picture.h"
#include "system/TextCodec.h"

const char32_t* const kProgramCharacters = U"▲▼⇒…　あ♪×ゲームオーバー！";

namespace {

namespace fs = std::filesystem;

struct FolderKind {
    const char* folder;
    const char* prefix;     // the file names the player asks for: prefix, two characters, suffix
    const char* suffix;
    const char* what;
    size_t cap;
};

const FolderKind kKinds[] = {
    {"Data", "data", ".dat", "a scenario file (DataNN.Dat)", kScenarioFileCap},
    {"Picture", "pic", ".bmp", "a Windows bitmap (PicNN.bmp)", kMediaFileCap},
    {"Bgm", "bgm", ".mid", "a MIDI file (BgmNN.mid)", kMediaFileCap},
    {"Wave", "wave", ".wav", "a wave file (WaveNN.wav)", kMediaFileCap},
};

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return text;
}

uint32_t Little32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// Why the bytes are not what the folder holds; empty when they are.
std::string WrongContent(const FolderKind& kind, const std::string& bytes) {
    const std::string folder = kind.folder;
    if (folder == "Picture") {
        if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) return "it is not a Windows bitmap";
        const uint32_t header = Little32(bytes, 14);
        int64_t width = 0, height = 0;
        if (header == 12) {
            width = uint8_t(bytes[18]) | uint8_t(bytes[19]) << 8;
            height = uint8_t(bytes[20]) | uint8_t(bytes[21]) << 8;
        } else {
            width = int32_t(Little32(bytes, 18));
            height = int32_t(Little32(bytes, 22));
        }
        height = height < 0 ? -height : height;
        if (width <= 0 || height <= 0 || width > kPictureSideCap || height > kPictureSideCap)
            return "its size (" + std::to_string(width) + " x " + std::to_string(height) +
                   ") is not one the player shows (1 to " + std::to_string(kPictureSideCap) + " pixels a side)";
        return "";
    }
    if (folder == "Bgm") {
        const bool midi = bytes.size() >= 14 && bytes.compare(0, 4, "MThd") == 0;
        const bool rmid = bytes.size() >= 20 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "RMID") == 0;
        return midi || rmid ? "" : "it is not a MIDI file";
    }
    if (folder == "Wave")
        return bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0
                   ? ""
                   : "it is not a wave file";
    return "";  // a scenario file is any bytes; the checker has read them
}

// The two characters of the name may be any ("L海辺" asks for "Pic海辺.bmp"): counted as
// characters, not bytes.
bool NamedAsThePlayerAsks(const FolderKind& kind, const std::string& lowerName) {
    const std::u32string name = FromUtf8(lowerName);
    const std::u32string prefix = FromUtf8(kind.prefix), suffix = FromUtf8(kind.suffix);
    return name.size() == prefix.size() + 2 + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(prefix.size() + 2, suffix.size(), suffix) == 0;
}

// The bytes of a name that is not UTF-8, each shown as hex ("Pic\x82\xa0.bmp").
std::string Escaped(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            shown += hex;
        }
    }
    return shown;
}

bool Inside(const fs::path& real, const fs::path& root) {
    const std::string path = real.string(), folder = root.string();
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder.back() == '/' || path[folder.size()] == '/');
}

// Why the entry at path (shown as relative) may not go out because it leads outside the story
// folder, "" when its real path is inside; real receives that path.
std::string OutsideTheStory(const fs::path& path, const std::string& relative, const fs::path& root, fs::path& real) {
    std::error_code error;
    real = fs::canonical(path, error);
    if (error) {
        const fs::path target = fs::read_symlink(path, error);
        return PrintableName(relative) + ": a link to " + PrintableName(target.string()) + ", which is not there";
    }
    if (Inside(real, root)) return "";
    const fs::path target = fs::is_symlink(fs::symlink_status(path, error)) ? fs::read_symlink(path, error) : real;
    return PrintableName(relative) + ": a link to " + PrintableName(target.string()) + " (" +
           PrintableName(real.string()) + "), outside the story folder: only the story's own files go out";
}

// The files "tessaro convert"'s line map names as its sources, by real path.
std::set<fs::path> LineMapSources(const fs::path& map, const fs::path& root) {
    std::set<fs::path> sources;
    LineMap parsed;
    std::string why;
    try {
        if (!ParseLineMap(ReadWholeFile(map.string(), size_t(1) << 20), parsed, why)) return sources;
    } catch (const RunTimeError&) {
        return sources;
    }
    for (const auto& [name, scenario] : parsed) {
        std::error_code error;
        const fs::path source = fs::weakly_canonical(root / scenario.source, error);
        if (!error) sources.insert(source);
    }
    return sources;
}

void CollectFolder(const fs::path& folder, const std::string& shown, const FolderKind& kind, const fs::path& root,
                   CollectedStory& story) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) entries.push_back(entry.path());
    if (error) {
        story.errors.push_back(PrintableName(shown) + ": the folder cannot be read: " + error.message());
        return;
    }
    std::sort(entries.begin(), entries.end());
    std::set<fs::path> authorsFiles;
    std::map<std::string, std::string> byLowerName;  // Windows holds names that differ in case as one
    for (const fs::path& path : entries) {
        if (Lower(path.filename().string()) == Lower(kLineMapName)) {
            authorsFiles = LineMapSources(path, root);
            authorsFiles.insert(fs::weakly_canonical(path, error));
        }
    }
    for (const fs::path& path : entries) {
        const std::string name = path.filename().string();
        const std::string relative = shown + "/" + name;
        if (name.empty() || name[0] == '.') {
            story.leftOut.push_back(PrintableName(relative) + " (a hidden file)");
            continue;
        }
        if (!IsUtf8Name(name)) {
            story.errors.push_back(Escaped(relative) + ": the name is not UTF-8 (an archive unpacked without its " +
                                   "code page leaves names so): no player can ask for it; rename it");
            continue;
        }
        fs::path real;
        if (const std::string outside = OutsideTheStory(path, relative, root, real); !outside.empty()) {
            story.errors.push_back(outside);
            continue;
        }
        if (authorsFiles.count(real) > 0) {
            story.leftOut.push_back(relative + (Lower(name) == Lower(kLineMapName)
                                                    ? " (the line map: it names your own lines for you, not for players)"
                                                    : " (a source the line map names: players get the scenario files)"));
            continue;
        }
        if (fs::is_directory(real, error)) {
            story.leftOut.push_back(relative + "/ (the player reads no folder inside " + shown + ")");
            continue;
        }
        if (!NamedAsThePlayerAsks(kind, Lower(name))) {
            story.errors.push_back(relative + ": not " + kind.what + ", the only kind of file " + kind.folder +
                                   " holds");
            continue;
        }
        if (WindowsSafeName(name) != name) {
            story.errors.push_back(relative + ": Windows cannot hold a file of this name (it may not hold " +
                                   "< > : \" / \\ | ? * or control characters); rename it");
            continue;
        }
        if (const auto [other, added] = byLowerName.emplace(Lower(name), name); !added) {
            story.errors.push_back(relative + ": Windows holds it and " + other->second +
                                   " as one file (their names differ only in letter case); keep one");
            continue;
        }
        StoryFile file;
        file.path = relative;
        file.source = real.string();
        // Its size and first bytes: enough to tell its kind, however large it is. (The bundles
        // read it whole, through the player's own reader, which refuses what is not a regular file.)
        if (!fs::is_regular_file(real, error)) {
            story.errors.push_back(relative + ": not a regular file");
            continue;
        }
        file.size = fs::file_size(real, error);
        if (error || file.size > kind.cap) {
            story.errors.push_back(relative + ": " + (error ? FileUnreadable(real.string(), error.message())
                                                            : FileTooLarge(real.string(), kind.cap)).what());
            continue;
        }
        std::string head(64, '\0');
        std::ifstream in(real, std::ios::binary);
        in.read(head.data(), std::streamsize(head.size()));
        head.resize(size_t(in.gcount()));
        const std::string wrong = WrongContent(kind, head);
        if (!wrong.empty()) {
            story.errors.push_back(relative + ": " + wrong + ", but the " + kind.folder + " folder holds only " +
                                   kind.what);
            continue;
        }
        story.hasMusic = story.hasMusic || std::string(kind.folder) == "Bgm";
        story.totalSize += file.size;
        story.files.push_back(std::move(file));
    }
}

}  // namespace

bool IsUtf8Name(const std::string& bytes) { return ToUtf8(FromUtf8(bytes)) == bytes; }

std::string WindowsSafeName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        safe += byte < 0x20 || byte == 0x7F || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos ? '_' : c;
    }
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
    // A device name stays one whatever its extension, and with spaces before the dot.
    std::string stem = Lower(safe.substr(0, safe.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const std::set<std::string> kDevices = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    const bool numbered = stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
                          stem[3] >= '0' && stem[3] <= '9';
    if (kDevices.count(stem) > 0 || numbered) safe.insert(stem.size(), "_");
    return safe;
}

CollectedStory CollectStory(const std::string& folder) {
    CollectedStory story;
    std::error_code error;
    const fs::path root = fs::canonical(folder, error);
    if (error) {
        story.errors.push_back(PrintableName(folder) + ": the folder cannot be read: " + error.message());
        return story;
    }
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(root, error)) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    for (const FolderKind& kind : kKinds) {
        for (const fs::path& path : folders) {
            const std::string name = path.filename().string();
            if (Lower(name) != Lower(kind.folder) || !fs::is_directory(path, error)) continue;
            fs::path real;
            if (const std::string outside = OutsideTheStory(path, name, root, real); !outside.empty())
                story.errors.push_back(outside);
            else
                CollectFolder(real, name, kind, root, story);
            break;  // the player reads the first one that matches
        }
    }
    std::sort(story.files.begin(), story.files.end(),
              [](const StoryFile& a, const StoryFile& b) { return a.path < b.path; });
    if (story.totalSize > kStoryTotalCap)
        story.errors.push_back("the story's files hold " + std::to_string(story.totalSize >> 20) +
                               " MiB together; a published story may hold " + std::to_string(kStoryTotalCap >> 20) +
                               " MiB at most (the web page loads it all before the story starts)");
    return story;
}

std::u32string ShownCharacters(const CollectedStory& story) {
    std::u32string shown = kProgramCharacters;
    for (char32_t c = 0x20; c < 0x7F; ++c) shown += c;
    for (const StoryFile& file : story.files) {
        shown += FromUtf8(file.path);  // an error names the file
        if (Lower(file.path).rfind("data/", 0) != 0) continue;
        const std::string bytes = ReadWholeFile(file.source, kScenarioFileCap);
        for (const ScenarioFileLine& line : SplitScenario(file.path, bytes).lines) shown += line.text;
    }
    return shown;
}
