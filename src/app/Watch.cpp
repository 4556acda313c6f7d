#include "app/Watch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "script/Interpreter.h"
#include "script/LineMap.h"
#include "script/Rows.h"
#include "script/Scenario.h"
#include "script/ScenarioPlace.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "window/Crt.h"
#include "window/Pacing.h"
#include "app/AuthorsAids.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kLookEveryMs = 500;

struct Seen {
    std::string file;  // the scenario's name ("Data00.Dat")
    fs::file_time_type time{}, sourceTime{};
    uintmax_t size = 0, sourceSize = 0;
    bool operator==(const Seen&) const = default;
};

Seen seen;
int64_t nextLook = 0;

// Where the page on screen began: a run that starts again starts there.
std::string pageFile;
int16_t pageStart = 0;
int16_t nextPageStart = -1;  // noted at a page wait, taken once the reader has turned the page

bool StampOf(const std::string& path, fs::file_time_type& time, uintmax_t& size) {
    std::error_code error;
    time = fs::last_write_time(path, error);
    if (error) return false;
    size = fs::file_size(path, error);
    return !error;
}

bool Stamp(const std::string& file, Seen& stamp) {
    stamp.file = file;
    if (!StampOf(System().FindFile(AssetPath("Data", file)), stamp.time, stamp.size)) return false;
    // The source the line map says it was converted from, when there is one.
    LineMap map;
    std::string why;
    if (!ReadStoryLineMap(map, why)) return true;
    const MappedScenario* mapped = FindMapped(map, file);
    if (mapped == nullptr) return true;
    const fs::path source = fs::path(ProgramDirectory()) / mapped->source;
    StampOf(source.string(), stamp.sourceTime, stamp.sourceSize);  // a source gone counts as unchanged
    return true;
}

void NotePageStart(const RunState& state, char32_t ch) {
    if (CurrentScenarioFile() != pageFile) {  // chained: the page goes on in the new file
        pageFile = CurrentScenarioFile();
        pageStart = state.LineNo;
        nextPageStart = -1;
    } else if (nextPageStart >= 0) {
        pageStart = nextPageStart;
        nextPageStart = -1;
    }
    switch (ch) {
    case U'P': {
        // While it waits, its page is on screen; text after it on the same line is the next one's.
        const std::u32string rest = NextChars(state, 1);
        nextPageStart = int16_t(state.LineNo + (rest.empty() || rest == U"\\" ? 1 : 0));
        break;
    }
    case U'C':
    case U'Q': pageStart = state.LineNo; break;
    default: break;
    }
}

// The error that stopped the run, on standard error and in the box, until the next save.
void ShowStoryError(const std::string& text) {
    std::fprintf(stderr, "tessaro: %s\ntessaro: --watch: waiting for the next change\n", text.c_str());
    DrawMessageWindow();
    std::u32string rest = FromUtf8(text);
    for (int row = 0; row < kRows && !rest.empty(); ++row) {
        size_t fit = std::min(rest.find(U'\n'), rest.size());
        while (fit > 1 && Crt.TextWidth(rest.substr(0, fit)) > kRowWidth) --fit;
        Crt.CurrentX = kTextLeft;
        Crt.CurrentY = kTextTop + kRowPitch * row;
        Crt.Print(rest.substr(0, fit));
        rest.erase(0, fit < rest.size() && rest[fit] == U'\n' ? fit + 1 : fit);
    }
    Crt.Refresh();
}

// Sleeps on events until the file changes (the hook throws) or the window is closed.
[[noreturn]] void WaitForChange() {
    for (;;) Wait(1000);
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
    if (stamp == seen) return;
    seen = stamp;
    const std::u32string name = FromUtf8(stamp.file).substr(4, 2);
    throw ScenarioChanged{name, pageFile == stamp.file ? pageStart : CurrentRun().LineNo};
}

void RunWatched(int16_t line) {
    SetStepObserver(NotePageStart);
    struct Unobserve {
        ~Unobserve() { SetStepObserver(nullptr); }
    } unobserve;
    bool broken = false;
    for (;;) {
        pageFile = CurrentScenarioFile();
        pageStart = line;
        nextPageStart = -1;
        try {
            if (broken) WaitForChange();
            RunScript(line);
            return;
        } catch (const ScenarioChanged& changed) {
            broken = false;
            if (TheAuthorsAids.playSourcesAsTheyAre != nullptr) TheAuthorsAids.playSourcesAsTheyAre();
            try {
                LoadScenario(changed.name);
            } catch (const RunTimeError& error) {
                ShowStoryError(error.what());
                broken = true;
                continue;
            }
            // The same line, or the last one of a file that has become shorter.
            int16_t last = 0;
            while (last < kLastSlot && ScriptLine[size_t(last)] != U"e") ++last;
            line = std::clamp<int16_t>(changed.line, 0, std::max<int16_t>(0, int16_t(last - 1)));
        } catch (const RunTimeError& error) {
            ShowStoryError(error.what());
            broken = true;
        }
    }
}
