#include "publish/Runtimes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

const std::vector<std::string> kWebRuntimeFiles = {
    "index.html", "tessaro-page.js", "tessaro.js", "tessaro.wasm", "js-synthesizer.min.js",
    "js-synthesizer.worklet.min.js", "libfluidsynth.js", "sw.js", "app.webmanifest", "icon.svg", "icon-192.png",
    "icon-512.png", "licenses/js-synthesizer.txt", "licenses/Emscripten.txt", "licenses/musl.txt"};
const std::vector<std::string> kWindowsRuntimeFiles = {"tessaro.exe", "licenses/MinGW-w64.txt",
                                                       "licenses/GCC-runtime.txt"};
const std::vector<std::string> kNoticeFiles = {"Tessaro.txt", "IPA-Font-License.txt", "TimGM6mb.txt",
                                               "GPL-2.txt", "LGPL-2.1.txt", "FreeType.txt"};

RuntimeFolder FindRuntimeFolder(const std::string& programFolder) {
    RuntimeFolder found;
    std::vector<fs::path> places;
    if (const char* named = std::getenv("TESSARO_RUNTIME"); named != nullptr && *named != '\0') {
        places.emplace_back(named);
    } else {
        places.push_back(fs::path(programFolder) / "runtime");
        places.push_back((fs::path(programFolder) / ".." / "share" / "tessaro" / "runtime").lexically_normal());
    }
    for (const fs::path& place : places) {
        found.tried.push_back(place.string());
        std::error_code error;
        if (fs::is_directory(place, error)) {
            found.root = place.string();
            break;
        }
    }
    return found;
}

std::vector<std::string> MissingFiles(const std::string& folder, const std::vector<std::string>& files) {
    std::vector<std::string> missing;
    for (const std::string& name : files) {
        std::error_code error;
        if (!fs::is_regular_file(fs::path(folder) / name, error)) missing.push_back((fs::path(folder) / name).string());
    }
    return missing;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->is_regular_file(error)) found.push_back(fs::relative(it->path(), folder, error).generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
}
