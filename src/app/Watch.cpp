#include "app/Watch.h"

#include <algorithm>
#include <filesystem>

#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "system/AssetPath.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "window/Pacing.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kLookEveryMs = 500;

struct Seen {
    std::string file;  // the scenario's name ("Data00.Dat")
    fs::file_time_type time{};
    uintmax_t size = 0;
};

Seen seen;
int64_t nextLook = 0;

bool Stamp(const std::string& file, Seen& stamp) {
    std::error_code error;
    const std::string path = System().FindFile(AssetPath("Data", file));
    stamp.file = file;
    stamp.time = fs::last_write_time(path, error);
    if (error) return false;
    stamp.size = fs::file_size(path, error);
    return !error;
}

}  // namespace

void WatchScenarioFiles(bool on) {
    SetEventHook(on ? LookAtScenarioFile : nullptr);
    seen = Seen{};
    nextLook = 0;
}

void LookAtScenarioFile() {
    const int64_t now = System().Clock();
    if (now < nextLook) return;
    nextLook = now + kLookEveryMs;
    Seen stamp;
    if (!Stamp(CurrentScenarioFile(), stamp)) return;  // gone for a moment while an editor saves
    if (stamp.file != seen.file) {  // another file was chained: it is the one looked at now
        seen = stamp;
        return;
    }
    if (stamp.time == seen.time && stamp.size == seen.size) return;
    seen = stamp;
    const std::u32string name = FromUtf8(stamp.file).substr(4, 2);
    throw ScenarioChanged{name, CurrentRun().LineNo};
}

void RunWatched(int16_t line) {
    for (;;) {
        try {
            RunScript(line);
            return;
        } catch (const ScenarioChanged& changed) {
            LoadScenario(changed.name);
            // The same line, or the last one of a file that has become shorter.
            int16_t last = 0;
            while (last < kLastSlot && ScriptLine[size_t(last)] != U"e") ++last;
            line = std::clamp<int16_t>(changed.line, 0, std::max<int16_t>(0, int16_t(last - 1)));
        }
    }
}
