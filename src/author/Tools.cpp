#include "author/Tools.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "system/Errors.h"
#include "system/Files.h"
#include "author/Check.h"
#include "author/Convert.h"
#include "author/LineMapFile.h"
#include "author/Paths.h"
#include "author/StaleSources.h"
#ifdef TESSARO_PUBLISH
#include "author/Publish.h"
#endif

namespace {

constexpr const char* kCheckUsage =
    "Usage: tessaro check [--json] [--] [STORY-FOLDER]\n"
    "Reads the story in STORY-FOLDER (by default the current folder) as the player would, without\n"
    "a window, and lists what would go wrong when it is played, as FILE:LINE:COLUMN: lines.\n"
    "Exit status 1 when there is an error, 0 otherwise.\n"
    "  --json  the same findings as JSON\n";

constexpr const char* kConvertUsage =
    "Usage: tessaro convert [--] SOURCE.txt DATA.Dat\n"
    "Turns a scenario written as UTF-8 (any line ends) into the code page 932 file with CR LF line\n"
    "ends that the player reads. A line \"*name\" names the line after it and is dropped; \"J*name\"\n"
    "becomes a jump to that line. On any error nothing is written and the exit status is 1.\n"
    "It also records in LineMap.txt, beside DATA.Dat, which source line each line came from, so that\n"
    "\"tessaro check\" and the player's error messages name SOURCE.txt's lines.\n"
    "DATA.Dat keeps its permissions; it must not be the source, a link or anything but a file.\n";

constexpr const char* kPathsUsage =
    "Usage: tessaro paths [--json] [--max-paths N] [--max-seconds N] [STORY-FOLDER]\n"
    "Plays the story in STORY-FOLDER (by default the current folder) with no window and no sound, on\n"
    "a clock that does not wait, once for every way of answering its questions (depth-first), and\n"
    "prints for each path the answers taken, how it ends (end mark, end of file, game over, an\n"
    "error as the player shows it, or a loop that never comes back to a question), its reading time\n"
    "(typing and pauses at the story's own pace, each page wait counted as 2 s), and the pictures\n"
    "and music it shows; then the lines no path reaches. Exit status 1 when a path ends in an error.\n"
    "  --json         the same as JSON\n"
    "  --max-paths N  stop after N paths (256 by default), with a note when more remain\n"
    "  --max-seconds N  stop after N seconds (60 by default), with a note; paths are printed as\n"
    "                 they are found\n";

int Usage(const char* usage, bool asked) {
    std::fputs(usage, asked ? stdout : stderr);
    return asked ? 0 : 2;
}

int Misuse(const char* command, const std::string& problem, const char* usage) {
    std::fprintf(stderr, "tessaro %s: %s\n", command, PrintableName(problem).c_str());
    return Usage(usage, false);
}

// The arguments that are not options; "--" ends the options, so a name may start with "-".
// False, with what is wrong, at an option the command does not know.
bool Operands(const std::vector<std::string>& arguments, const std::vector<std::string>& options,
              std::vector<std::string>& operands, std::vector<std::string>& given, std::string& problem) {
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (std::find(options.begin(), options.end(), argument) != options.end()) {
            given.push_back(argument);
        } else {
            problem = "unknown option " + argument;
            return false;
        }
    }
    return true;
}

bool Given(const std::vector<std::string>& given, const char* option) {
    return std::find(given.begin(), given.end(), option) != given.end();
}

int Check(const std::vector<std::string>& arguments) {
    std::vector<std::string> operands, given;
    std::string problem;
    if (!Operands(arguments, {"--help", "-h", "--json"}, operands, given, problem))
        return Misuse("check", problem, kCheckUsage);
    if (Given(given, "--help") || Given(given, "-h")) return Usage(kCheckUsage, true);
    if (operands.size() > 1) return Misuse("check", "one story folder at most", kCheckUsage);
    const std::string folder = operands.empty() ? "." : operands[0];
    if (folder.empty()) return Misuse("check", "an empty story folder name", kCheckUsage);
    // Findings about an old text would send the author to lines that are no longer there.
    if (const std::string stale = StaleSources(folder); !stale.empty()) {
        std::fprintf(stderr, "tessaro check: %s\n", stale.c_str());
        return 1;
    }
    const CheckResult result = CheckStory(folder);
    const std::string report = Given(given, "--json") ? DiagnosticsJson(result.diagnostics, result.filesRead)
                                                      : DiagnosticsText(result.diagnostics, result.filesRead);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return AnyError(result.diagnostics) ? 1 : 0;
}

// "--max-paths N": a whole number from 1 to 999999; false (with the message printed) otherwise.
bool ReadBound(const char* option, const std::string& value, size_t& bound) {
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(value) == 0) {
        std::fprintf(stderr, "tessaro: %s takes a number from 1 to 999999, not \"%s\"\n", option,
                     PrintableName(value).c_str());
        return false;
    }
    bound = std::stoul(value);
    return true;
}

int Paths(const std::vector<std::string>& arguments) {
    bool json = false;
    PathBounds bounds;
    std::string folder = ".";
    size_t folders = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") return Usage(kPathsUsage, true);
        if (argument == "--json") {
            json = true;
        } else if (argument == "--max-paths" || argument == "--max-seconds") {
            const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
            size_t bound = 0;
            if (!ReadBound(argument.c_str(), value, bound)) return 2;
            if (argument == "--max-paths") bounds.maxPaths = bound;
            else bounds.maxSeconds = int(bound);
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage(kPathsUsage, false);
        } else {
            folder = argument, ++folders;
        }
    }
    if (folders > 1 || folder.empty()) return Usage(kPathsUsage, false);
    if (const std::string stale = StaleSources(folder); !stale.empty()) {
        std::fprintf(stderr, "tessaro paths: %s\n", stale.c_str());
        return 1;
    }
    // Each path goes out as it ends: a story of many paths is never held whole.
    bool anyError = false;
    if (json) std::fputs("{\"paths\": [", stdout);
    const PathsReport report = ExplorePaths(folder, bounds, [&](const StoryPath& path, size_t number) {
        anyError = anyError || path.ending == StoryPath::Ending::Error;
        const std::string text = json ? (number == 1 ? "\n" : ",\n") + PathJson(path) : PathText(path, number);
        std::fwrite(text.data(), 1, text.size(), stdout);
    });
    std::fputs((json ? PathsJsonTail(report, bounds) : PathsSummaryText(report, bounds)).c_str(), stdout);
    return anyError ? 1 : 0;
}

int Convert(const std::vector<std::string>& arguments) {
    std::vector<std::string> operands, given;
    std::string problem;
    if (!Operands(arguments, {"--help", "-h"}, operands, given, problem))
        return Misuse("convert", problem, kConvertUsage);
    if (!given.empty()) return Usage(kConvertUsage, true);
    if (operands.size() != 2 || operands[0].empty() || operands[1].empty())
        return Misuse("convert", "a source and a target file are needed", kConvertUsage);
    const std::string& sourcePath = operands[0];
    const std::string& targetPath = operands[1];
    // Paths on the command line are the user's own, taken as they are.
    const std::string source = ReadWholeFile(sourcePath, kScenarioFileCap);
    // By the file itself, not its name: another spelling or a link must not replace the source.
    if (SameFile(sourcePath, targetPath)) {
        std::fprintf(stderr, "tessaro: %s is the source itself; it is never overwritten\n",
                     PrintableName(targetPath).c_str());
        return 1;
    }
    std::string scenario;
    MappedScenario lines;
    std::vector<Diagnostic> errors = ConvertScenario(source, sourcePath, scenario, &lines);
    if (!errors.empty()) {
        SortDiagnostics(errors);
        for (const Diagnostic& error : errors)
            std::fprintf(stderr, "%s:%d:%d: error: %s\n", PrintableName(error.file).c_str(), error.line, error.column,
                         PrintableName(error.message).c_str());
        std::fprintf(stderr, "tessaro: %s not written\n", PrintableName(targetPath).c_str());
        return 1;
    }
    WriteWholeFile(targetPath, scenario);
    const std::string remark = RecordLineMap(sourcePath, targetPath, scenario, std::move(lines));
    if (!remark.empty()) std::fprintf(stderr, "tessaro: %s\n", remark.c_str());
    return 0;
}

}  // namespace

bool IsToolCommand(const std::string& argument) {
    return argument == "check" || argument == "convert" || argument == "paths" || argument == "publish";
}

int RunTool(int argc, char** argv, const std::string& programFolder) {
    const std::string command = argv[0];
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        if (command == "paths") return Paths(arguments);
        if (command == "publish") {
#ifdef TESSARO_PUBLISH
            return Publish(arguments, programFolder);
#else
            (void)programFolder;
            std::fputs("tessaro: publish is a command of Tessaro on Linux\n", stderr);
            return 1;
#endif
        }
        return command == "check" ? Check(arguments) : Convert(arguments);
    } catch (const std::exception& error) {
        // Nothing here opens a window: the text goes to standard error alone.
        std::fprintf(stderr, "tessaro: %s\n", error.what());
        return 1;
    }
}
