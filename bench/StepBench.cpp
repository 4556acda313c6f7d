// The main thread's cost of one step and of one page-wait pass, on a real window (run it through
// bench/step.sh, which gives it a private X server). A step draws the box and five rows and puts
// the frame on the window, 1x and 4x as large (--scale 4); as in real typing the current row is
// new every step, so it is never in the cache of rendered rows. A page-wait pass draws the same
// box and rows again, with nothing new to show. Medians of 5 repetitions, each printed beside
// its target.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "script/Interpreter.h"
#include "platform/sdl/SdlPlatform.h"
#include "window/Crt.h"
#include "window/MainForm.h"

namespace {

// Sentences of an ordinary story: each step shows one of them a character longer.
const std::u32string kSentences[] = {
    U"夜の海に灯台の光が静かに揺れていた。",   U"波の音が遠くから聞こえてくる。",
    U"祖父の日誌には古い地図が挟まっていた。", U"鍵は錆びていたが、まだ回りそうだった。",
    U"階段を上ると、窓の外に港の灯りが見えた。", U"「明日の朝、船が出るよ」と漁師が言った。",
    U"風が強くなり、雨粒が窓を叩き始めた。",   U"私は懐中電灯を握りしめて扉を開けた。",
};

// The program's window at a scale, for the length of one benchmark.
struct Window {
    SdlPlatform platform;
    explicit Window(int scale) {
        if (!platform.Error().empty()) return;
        SetSystem(&platform);
        ScreenMode mode;
        mode.scale = scale;
        platform.SetScreenMode(mode);
        MainForm_Load();
    }
    ~Window() { SetSystem(nullptr); }
};

void BM_TypingStep(benchmark::State& state) {
    Window window(int(state.range(0)));
    if (!window.platform.Error().empty()) return state.SkipWithError(window.platform.Error().c_str());
    RunState run;
    for (int i = 0; i < 4; ++i) run.TextLine[i] = kSentences[i];
    run.TextRow = 4;
    size_t step = 0;
    for (auto _ : state) {
        const std::u32string& sentence = kSentences[(step / 24) % std::size(kSentences)];
        run.TextLine[4] = sentence.substr(0, step % 24 % sentence.size() + 1);
        ++step;
        DrawMessageRows(run);
        Crt.ShowIfChanged();
        System().PumpMessages();
    }
}
BENCHMARK(BM_TypingStep)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PageWaitPass(benchmark::State& state) {
    Window window(1);
    if (!window.platform.Error().empty()) return state.SkipWithError(window.platform.Error().c_str());
    RunState run;
    for (int i = 0; i < 5; ++i) run.TextLine[i] = kSentences[i];
    for (auto _ : state) {
        DrawMessageRows(run);
        Crt.ShowIfChanged();
        System().PumpMessages();
    }
}
BENCHMARK(BM_PageWaitPass)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the medians of each benchmark (CPU and wall time, in microseconds), besides printing as
// usual.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double cpu, real;
    };
    std::map<std::string, Times> medians;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const double toMicroseconds = benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond) /
                                          benchmark::GetTimeUnitMultiplier(run.time_unit);
            medians[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] = {run.GetAdjustedCPUTime() * toMicroseconds,
                                                   run.GetAdjustedRealTime() * toMicroseconds};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (SDL_getenv("DISPLAY") == nullptr) {
        std::fputs("tessaro_bench: needs a display: run it through bench/step.sh\n", stderr);
        return 1;
    }
    ScreenWidth = 300;
    ScreenHeight = 300;

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The targets are for the main thread's CPU time; the wall time beside it also counts the
    // wait for the X server, and on a loaded machine the time the thread was not running.
    const std::pair<const char*, double> targets[] = {
        {"BM_TypingStep/1", 300}, {"BM_TypingStep/4", 1000}, {"BM_PageWaitPass", 20}};
    int missed = 0;
    for (const auto& [name, target] : targets) {
        const auto found = reporter.medians.find(name);
        if (found == reporter.medians.end()) continue;  // filtered out
        const bool ok = found->second.cpu <= target;
        missed += ok ? 0 : 1;
        std::printf("%-16s CPU %7.1f us  target <= %4.0f us  %-6s  (wall %.1f us)\n", name, found->second.cpu,
                    target, ok ? "ok" : "MISSED", found->second.real);
    }
    std::puts(missed == 0 ? "all figures on target" : "figure(s) missed");
    return missed == 0 ? 0 : 1;
}
