#include "publish/Publish.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>

#include "publish/Bundles.h"
#include "author/Check.h"
#include "publish/Runtimes.h"
#include "author/StaleSources.h"
#include "publish/StoryFolder.h"
#include "publish/StoryTitle.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "platform/posix/PublishFiles.h"
#include "system/TextCodec.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPublishUsage =
    "Usage: tessaro publish [--web] [--windows] [--used-only] [--out DIR] [--title TEXT] STORY-FOLDER\n"
    "Checks the story (its errors stop publishing, with nothing written), then writes what players\n"
    "download into DIR (by default the current folder):\n"
    "  NAME-web.zip      a static web site, index.html at its root: upload it as it is\n"
    "  NAME-windows.zip  tessaro.exe with the story beside it, in a folder NAME\n"
    "NAME is the story folder's name. Both are made when neither --web nor --windows is given.\n"
    "Only the story's own Data, Picture, Bgm and Wave files go out; a link out of the story folder\n"
    "is an error. Files that nothing in the story uses are named, and go out unless:\n"
    "  --used-only   leave out the files that nothing in the story uses\n"
    "  --title TEXT  the web page's title and start prompt (by default the first line of the story's\n"
    "                Title.txt, else its first page when that is a title, else NAME)\n"
    "An existing bundle is replaced only once the new one is whole.\n";

struct Request {
    bool web = false, windows = false, usedOnly = false;
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

// The most bytes a file's name may have here (NAME_MAX on Linux's file systems).
constexpr size_t kNameBytes = 255;

// name cut at a character's end so that name + suffix fits a file name; said when it is cut.
std::string FittingName(const std::string& name, const std::string& suffix) {
    if (name.size() + suffix.size() <= kNameBytes) return name;
    // Never between the bytes of one character: a cut lands before a lead byte.
    size_t end = kNameBytes - suffix.size();
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

// The folder's name made into one Windows can create, valid UTF-8 ("_" for each byte that is not).
std::string WindowsFolderName(const std::string& name) {
    std::u32string characters = FromUtf8(name);
    for (char32_t& c : characters) c = c == 0xFFFD ? U'_' : c;
    const std::string safe = WindowsSafeName(ToUtf8(characters));
    return safe.empty() ? "Tessaro story" : safe;
}

// True when place is in one of the story's four folders (any letter case), there already or not,
// or where a link among them leads: a zip written there would go out with the next one.
bool InsideTheFourFolders(const fs::path& storyReal, const fs::path& place) {
    const auto lower = [](std::string name) {
        for (char& c : name) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return name;
    };
    const auto under = [](const fs::path& folder, const fs::path& path) {
        const auto stop = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first;
        return stop == folder.end();
    };
    const fs::path relative = place.lexically_relative(storyReal);
    if (!relative.empty() && *relative.begin() != ".." && *relative.begin() != "." &&
        std::set<std::string>{"data", "picture", "bgm", "wave"}.count(lower(relative.begin()->string())) > 0)
        return true;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(storyReal, error)) {
        const std::string name = lower(entry.path().filename().string());
        if (name != "data" && name != "picture" && name != "bgm" && name != "wave") continue;
        if (under(fs::weakly_canonical(entry.path(), error), place)) return true;
    }
    return false;
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
    // The folder as it is on this machine: its name taken whole, "\" and all.
    const fs::path storyReal = fs::canonical(request.story, error);
    if (error) return Refuse({PrintableName(request.story) + ": " + error.message()});
    const fs::path out = fs::weakly_canonical(fs::absolute(request.out, error), error);
    if (InsideTheFourFolders(storyReal, out))
        return Refuse({"--out " + PrintableName(request.out) + " is inside the story's own folders: the zips " +
                       "would go out with the story; choose a folder outside them"});
    if (const std::string stale = StaleSources(request.story); !stale.empty()) return Refuse({stale});

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

    CollectedStory story = CollectStory(storyReal.string());
    if (!story.errors.empty()) return Refuse(story.errors);
    for (const std::string& left : story.leftOut) std::fprintf(stderr, "tessaro publish: left out: %s\n", left.c_str());

    // What no scenario reaches goes out only when the author lets it, and is said either way.
    std::set<fs::path> named;
    for (const std::string& path : check.named) named.insert(fs::weakly_canonical(path, error));
    std::vector<StoryFile> sent;
    for (StoryFile& file : story.files) {
        if (named.count(fs::path(file.source)) > 0) {
            sent.push_back(std::move(file));
            continue;
        }
        std::fprintf(stderr, "tessaro publish: note: %s: nothing in the story uses it; %s\n", file.path.c_str(),
                     request.usedOnly ? "left out" : "it goes out all the same (--used-only leaves it out)");
        if (!request.usedOnly) sent.push_back(std::move(file));
    }
    story.files = std::move(sent);
    story.hasMusic = std::any_of(story.files.begin(), story.files.end(), [](const StoryFile& file) {
        std::string folder = file.path.substr(0, 4);
        for (char& c : folder) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return folder == "bgm/";
    });

    const RuntimeFolder runtime = FindRuntimeFolder(programFolder);
    const std::vector<std::string> missing = MissingForBundles(request, runtime, story.hasMusic);
    if (!missing.empty()) return Refuse(missing);

    const std::string folderName = storyReal.filename().string();
    BundleSources sources;
    sources.name = WindowsFolderName(folderName);
    if (request.windows && sources.name != folderName)
        std::fprintf(stderr, "tessaro publish: the Windows zip's folder is \"%s\": Windows cannot make a folder named \"%s\"\n",
                     sources.name.c_str(), PrintableName(folderName).c_str());
    sources.title = request.title.empty() ? StoryTitle(storyReal.string(), story, PrintableName(folderName)) : request.title;
    sources.runtime = runtime.root;
    sources.fontPath = kIpaGothicPath;
    sources.soundFontPath = kSoundFontPath;

    const bool outMade = !fs::is_directory(request.out, error);
    if (outMade && !fs::create_directories(request.out, error))
        return Refuse({request.out + ": the folder cannot be made: " + error.message()});
    struct Bundle {
        std::string path;
        std::unique_ptr<PartialFile> file;
    };
    std::vector<Bundle> bundles;
    // One name for both zips, short enough for the longer one's (and no longer than the folder's).
    const std::string base = FittingName(folderName, "-windows.zip");
    if (base != folderName)
        std::fprintf(stderr, "tessaro publish: the folder's name is cut to \"%s\" in the zips' names, which may "
                     "hold %zu bytes\n", PrintableName(base).c_str(), kNameBytes);
    std::vector<std::string> zipNames;
    for (const char* suffix : {"-web.zip", "-windows.zip"}) {
        if (!(std::string(suffix) == "-web.zip" ? request.web : request.windows)) continue;
        zipNames.push_back(base + suffix);
        bundles.push_back({(fs::path(request.out) / zipNames.back()).string(), nullptr});
    }
    for (const std::string& removed : PartialFile::RemoveLeftovers(request.out, zipNames))
        std::fprintf(stderr, "tessaro publish: removed %s, what a publish that did not finish left\n",
                     PrintableName(removed).c_str());

    // Every bundle is made whole, each in a file with no name yet, before any takes its name.
    WebBundle web;
    try {
        for (Bundle& bundle : bundles) {
            bundle.file = std::make_unique<PartialFile>(request.out);
            if (bundle.path.size() >= 8 && bundle.path.compare(bundle.path.size() - 8, 8, "-web.zip") == 0)
                web = MakeWebBundle(story, sources, *bundle.file);
            else
                MakeWindowsBundle(story, sources, *bundle.file);
        }
    } catch (const std::exception& failure) {
        bundles.clear();
        if (outMade) fs::remove(request.out, error);  // only when it is still empty
        return Refuse({failure.what()});
    }
    for (Bundle& bundle : bundles) {
        // Renamed over any earlier bundle: a failure leaves the earlier one as it was.
        try {
            bundle.file->Keep(bundle.path);
        } catch (const RunTimeError& failure) {
            std::fprintf(stderr, "tessaro publish: %s\ntessaro publish: %s not written\n", failure.what(),
                         PrintableName(bundle.path).c_str());
            return 1;
        }
        std::printf("%s: %s\n", PrintableName(bundle.path).c_str(), Megabytes(bundle.file->Size()).c_str());
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
        } else if (argument == "--used-only") {
            request.usedOnly = true;
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
