#include "publish/Bundles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "author/JsonText.h"
#include "publish/BundleTexts.h"
#include "publish/FontSubset.h"
#include "publish/Runtimes.h"
#include "publish/ZipWriter.h"
#include "publish/SoundFontCut.h"
#include "publish/WebApp.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "platform/posix/PublishFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kRuntimeFileCap = size_t(64) << 20;

std::string ReadRuntimeFile(const fs::path& path) {
    try {
        return ReadAssetFile(path.string(), kRuntimeFileCap);
    } catch (const RunTimeError& error) {
        throw std::runtime_error(error.what());
    }
}

// Streamed into the zip as it is; returns its size.
size_t AddRuntimeFile(ZipWriter& zip, const std::string& name, const fs::path& path, bool executable = false) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    if (error) throw std::runtime_error(PrintableName(path.string()) + ": " + error.message());
    if (size > kRuntimeFileCap) throw std::runtime_error(FileTooLarge(path.string(), kRuntimeFileCap).what());
    zip.AddFile(name, path.string(), size, executable);
    return size_t(size);
}

std::string HtmlText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ReplaceBetween(const std::string& page, const std::string& open, const std::string& close,
                           const std::string& content) {
    const size_t start = page.find(open);
    if (start == std::string::npos) throw std::runtime_error("the web runtime's index.html has no " + open);
    const size_t inner = page.find('>', start) + 1;
    const size_t end = page.find(close, inner);
    if (end == std::string::npos) throw std::runtime_error("the web runtime's index.html has no " + close);
    return page.substr(0, inner) + content + page.substr(end);
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The notices every bundle shares, and the runtime's own licence files.
void AddNotices(ZipWriter& zip, const std::string& prefix, const std::string& runtime,
                const std::vector<std::string>& notices) {
    for (const std::string& notice : notices)
        zip.Add(prefix + "licenses/" + notice, ReadRuntimeFile(fs::path(runtime) / "notices" / notice));
}

}  // namespace

std::string WebManifest(const CollectedStory& story, const std::string& fontFile, size_t fontSize,
                        const std::string& soundFontFile, size_t soundFontSize) {
    std::string json = "{\n \"files\": [";
    for (size_t i = 0; i < story.files.size(); ++i)
        json += std::string(i == 0 ? "\n" : ",\n") + "  {\"path\": " + JsonString(story.files[i].path) +
                ", \"size\": " + std::to_string(story.files[i].size) + "}";
    json += "\n ],\n \"font\": {\"path\": " + JsonString(fontFile) + ", \"size\": " + std::to_string(fontSize) + "}";
    if (!soundFontFile.empty())
        json += ",\n \"soundFont\": {\"path\": " + JsonString(soundFontFile) + ", \"size\": " +
                std::to_string(soundFontSize) + "}";
    return json + "\n}\n";
}

std::string TitledPage(const std::string& page, const std::string& title) {
    const std::string shown = HtmlText(title);
    std::string titled = ReplaceBetween(page, "<title", "</title>", shown);
    const size_t prompt = titled.find("id=\"prompt\"");
    if (prompt == std::string::npos) throw std::runtime_error("the web runtime's index.html has no start prompt");
    const size_t inner = titled.find('>', prompt) + 1;
    return titled.substr(0, inner) + "<div class=\"story-title\">" + shown + "</div>" + titled.substr(inner);
}

WebBundle MakeWebBundle(const CollectedStory& story, const BundleSources& sources, PartialFile& out) {
    WebBundle bundle;
    ZipWriter zip(out);
    const fs::path web = fs::path(sources.runtime) / "web";
    std::vector<std::string> notices = {"Tessaro.txt", "IPA-Font-License.txt", "LGPL-2.1.txt", "FreeType.txt"};
    if (story.hasMusic) notices.insert(notices.end(), {"TimGM6mb.txt", "GPL-2.txt"});
    // The runtime as it was built, less what belongs to one story (a build of the web branch
    // holds its sample story, the whole font and the soundfont beside the page) and less the
    // licence texts the bundle's notices carry already: each text once.
    for (const std::string& file : FilesUnder(web.string())) {
        const std::string extension = fs::path(file).extension().string();
        if (file.rfind("story/", 0) == 0 || file == "manifest.json" || extension == ".ttf" || extension == ".sf2")
            continue;
        if (file.rfind("licenses/", 0) == 0 &&
            std::find(notices.begin(), notices.end(), file.substr(9)) != notices.end())
            continue;
        if (file == "index.html")
            zip.Add(file, TitledPage(ReadRuntimeFile(web / file), sources.title));
        else if (file == "app.webmanifest")
            zip.Add(file, WebAppManifest(JsonString(sources.title)));
        else if (file == "sw.js") {
            const std::string worker = ReadRuntimeFile(web / file);
            zip.Add(file, VersionedServiceWorker(worker, WebSiteVersion(story, sources.title, worker)));
        } else
            AddRuntimeFile(zip, file, web / file);
    }
    std::set<char32_t> characters;
    for (const char32_t c : ShownCharacters(story)) characters.insert(c);
    const std::string font = ReadRuntimeFile(sources.fontPath);
    const std::string cut = CutDownFont(font, characters);
    bundle.fontBytes = font.size();
    bundle.cutFontBytes = cut.size();
    zip.Add(kCutDownFontFile, cut);
    std::string soundFontFile;
    size_t soundFontSize = 0;
    if (story.hasMusic) {
        // Cut down to the story's music, as the font is to its text.
        const std::string soundFont = StorySoundFont(story, ReadRuntimeFile(sources.soundFontPath));
        soundFontFile = fs::path(sources.soundFontPath).filename().string();
        soundFontSize = soundFont.size();
        zip.Add(soundFontFile, soundFont);
    }
    for (const StoryFile& file : story.files) zip.AddFile("story/" + file.path, file.source, file.size);
    zip.Add("manifest.json", WebManifest(story, kCutDownFontFile, cut.size(), soundFontFile, soundFontSize));

    AddNotices(zip, "", sources.runtime, notices);
    zip.Add("licenses/NOTICES.txt", WebNotices(soundFontFile));
    zip.Finish();
    return bundle;
}

void MakeWindowsBundle(const CollectedStory& story, const BundleSources& sources, PartialFile& out) {
    ZipWriter zip(out);
    const std::string folder = sources.name + "/";
    const fs::path windows = fs::path(sources.runtime) / "windows";
    for (const std::string& file : FilesUnder(windows.string()))
        AddRuntimeFile(zip, folder + file, windows / file, file == "tessaro.exe");
    for (const StoryFile& file : story.files) zip.AddFile(folder + file.path, file.source, file.size);
    AddNotices(zip, folder, sources.runtime, {"Tessaro.txt"});
    zip.Add(folder + "licenses/NOTICES.txt", Crlf(WindowsNotices()));
    // A byte-order mark, so that every Notepad reads it as UTF-8.
    zip.Add(folder + "README.txt", "\xEF\xBB\xBF" + Crlf(WindowsReadMe(sources.title)));
    zip.Finish();
}
