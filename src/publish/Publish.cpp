#include "publish/Publish.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "publish/Bundles.h"
#include "author/Check.h"
#include "publish/Runtimes.h"
#include "publish/StoryFolder.h"
#include "system/Errors.h"
#include "system/Files.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPublishUsage =
    "Usage: tessaro publish [--web] [--windows] [--out DIR] [--title TEXT] STORY-FOLDER\n"
    "Checks the story (its errors stop publishing, with nothing written), then writes what players\n"
    "download into DIR (by default the current folder):\n"
    "  NAME-web.zip      a static web site, index.html at its root: upload it as it is\n"
    "  NAME-windows.zip  tessaro.exe with the story beside it, in a folder NAME\n"
    "NAME is the story folder's name. Both are made when neither --web nor --windows is given.\n"
    "  --title TEXT  the web page's title and start prompt (by default NAME)\n"
    "An existing bundle is replaced only once the new one is whole.\n";

struct Request {
    bool web = false, windows = false;
    std::string out = ".", title, story;
};

int Usage(bool asked, const std::string& problem = "") {
    if (!problem.empty()) std::fprintf(stderr, "tessaro publish: %s\n", problem.c_str());
    std::fputs(kPublishUsage, asked ? stdout : stderr);
    return asked ? 0 : 2;
}

int Refuse(const std::vector<std::string>& reasons) {
    for (const std::string& reason : reasons) std::fprintf(stderr, "tessaro publish: %s\n", reason.c_str());
    std::fputs("tessaro publish: nothing written\n", stderr);
    return 1;
}

std::string StoryName(const std::string& folder) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(folder, error), error);
    std::string name = path.filename().string();
    if (name.empty()) name = path.parent_path().filename().string();
    return name.empty() ? "story" : name;
}

// What the runtime folder lacks for the bundles asked for, each named.
std::vector<std::string> MissingForBundles(const Request& request, const RuntimeFolder& runtime,
                                           bool hasMusic) {
    std::vector<std::string> missing;
    if (runtime.root.empty()) {
        std::string tried;
        for (const std::string& place : runtime.tried) tried += (tried.empty() ? "" : ", ") + place;
        return {"no runtimes shipped with this program (looked in " + tried + ")"};
    }
    const auto note = [&](const char* what, const char* how, const std::vector<std::string>& files) {
        if (files.empty()) return;
        std::string list;
        for (const std::string& file : files) list += (list.empty() ? "" : ", ") + file;
        missing.push_back(std::string("the ") + what + " is not there: " + list + " missing (" + how + ")");
    };
    note("licence texts", "they are made by the build",
         MissingFiles((fs::path(runtime.root) / "notices").string(), kNoticeFiles));
    if (request.web) {
        note("web runtime", "scripts/build-web builds it; then build and install Tessaro again",
             MissingFiles((fs::path(runtime.root) / "web").string(), kWebRuntimeFiles));
        note("font for the web page", "Debian's fonts-ipafont-gothic", MissingFiles("/", {kIpaGothicPath}));
        if (hasMusic) note("soundfont for the web page", "Debian's timgm6mb-soundfont", MissingFiles("/", {kSoundFontPath}));
    }
    if (request.windows)
        note("Windows runtime", "scripts/build-windows builds it; then build and install Tessaro again",
             MissingFiles((fs::path(runtime.root) / "windows").string(), kWindowsRuntimeFiles));
    return missing;
}

std::string Megabytes(size_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", double(bytes) / 1e6);
    return text;
}

int Run(const Request& request, const std::string& programFolder) {
    std::error_code error;
    if (!fs::is_directory(request.story, error)) return Refuse({request.story + ": not a story folder"});

    // The checker first: its errors stop everything, its warnings are shown.
    const CheckResult check = CheckStory(request.story);
    bool checkFailed = false;
    for (const Diagnostic& finding : check.diagnostics) {
        if (finding.severity == Severity::Note) continue;
        const bool isError = finding.severity == Severity::Error;
        checkFailed = checkFailed || isError;
        std::fprintf(stderr, "%s:%d:%d: %s: %s\n", finding.path.c_str(), finding.line, finding.column,
                     isError ? "error" : "warning", finding.message.c_str());
    }
    if (checkFailed) return Refuse({"the story has errors (tessaro check lists them all)"});

    const CollectedStory story = CollectStory(request.story);
    if (!story.errors.empty()) return Refuse(story.errors);
    for (const std::string& left : story.leftOut) std::fprintf(stderr, "tessaro publish: left out: %s\n", left.c_str());

    const RuntimeFolder runtime = FindRuntimeFolder(programFolder);
    const std::vector<std::string> missing = MissingForBundles(request, runtime, story.hasMusic);
    if (!missing.empty()) return Refuse(missing);

    BundleSources sources;
    sources.name = StoryName(request.story);
    sources.title = request.title.empty() ? sources.name : request.title;
    sources.runtime = runtime.root;
    sources.fontPath = kIpaGothicPath;
    sources.soundFontPath = kSoundFontPath;

    // Every bundle is made whole in memory before any is written.
    std::vector<std::pair<std::string, std::string>> bundles;
    WebBundle web;
    try {
        if (request.web) {
            web = MakeWebBundle(story, sources);
            bundles.emplace_back(sources.name + "-web.zip", std::move(web.zip));
        }
        if (request.windows) bundles.emplace_back(sources.name + "-windows.zip", MakeWindowsBundle(story, sources));
    } catch (const std::exception& failure) {
        return Refuse({failure.what()});
    }
    if (!fs::is_directory(request.out, error) && !fs::create_directories(request.out, error))
        return Refuse({request.out + ": the folder cannot be made: " + error.message()});
    for (const auto& [name, bytes] : bundles) {
        const std::string path = (fs::path(request.out) / name).string();
        // Written beside under another name, then renamed over any earlier bundle: a failure
        // leaves the earlier one as it was.
        try {
            WriteWholeFile(path, bytes);
        } catch (const RunTimeError& failure) {
            std::fprintf(stderr, "tessaro publish: %s\ntessaro publish: %s not written\n", failure.what(), path.c_str());
            return 1;
        }
        std::printf("%s: %s\n", path.c_str(), Megabytes(bytes.size()).c_str());
    }
    if (request.web)
        std::printf("the web page's font: %s cut down to %s\n", Megabytes(web.fontBytes).c_str(),
                    Megabytes(web.cutFontBytes).c_str());
    return 0;
}

}  // namespace

int Publish(const std::vector<std::string>& arguments, const std::string& programFolder) {
    Request request;
    size_t stories = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") return Usage(true);
        if (argument == "--web") {
            request.web = true;
        } else if (argument == "--windows") {
            request.windows = true;
        } else if (argument == "--out" || argument == "--title") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return Usage(false, argument + " needs a value");
            (argument == "--out" ? request.out : request.title) = arguments[++i];
        } else if (argument.empty() || argument[0] == '-') {
            return Usage(false, argument.empty() ? "an empty story folder name" : "unknown option " + argument);
        } else {
            request.story = argument;
            ++stories;
        }
    }
    if (stories != 1) return Usage(false, stories == 0 ? "which story folder?" : "one story folder at most");
    if (!request.web && !request.windows) request.web = request.windows = true;
    try {
        return Run(request, programFolder);
    } catch (const std::exception& failure) {
        return Refuse({failure.what()});
    }
}
