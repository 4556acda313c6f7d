// The cost of one interpreter step's drawing: the box and five rows, with the current row one
// character longer each time (as while text types). The pace is 15 ms a step; the drawing should
// stay far below it (the target is 0.3 ms). With a display (DISPLAY set, as bench/step-on-screen.sh
// does), the same step put on screen in a window 1x and 4x as large (target: under 1 ms at 4x),
// and for comparison the whole 4x image put on screen each step.
#include <benchmark/benchmark.h>

#include "script/Interpreter.h"
#include "support/TestPlatform.h"
#include "system/SdlPlatform.h"
#include "window/Crt.h"

namespace {

const std::u32string kRow = U"夜の海に灯台の光が静かに揺れていた。波の音が遠く";

// Types one character into the fifth row of a full box.
void TypeOneStep(RunState& run, size_t& typed) {
    run.TextLine[4] = kRow.substr(0, typed % kRow.size() + 1);
    ++typed;
    DrawMessageRows(run);
}

void BM_StepDrawing(benchmark::State& state) {
    TestPlatform platform;
    Crt.Open(300, 300);
    RunState run;
    for (int i = 0; i < 4; ++i) run.TextLine[i] = kRow;
    run.TextRow = 4;
    size_t typed = 0;
    for (auto _ : state) {
        TypeOneStep(run, typed);
        Crt.ShowIfChanged();
    }
}
BENCHMARK(BM_StepDrawing)->Unit(benchmark::kMicrosecond);

void BM_PrintCachedRow(benchmark::State& state) {
    TestPlatform platform;
    Crt.Open(300, 300);
    for (auto _ : state) {
        Crt.CurrentX = 15;
        Crt.CurrentY = 210;
        Crt.Print(kRow);
    }
}
BENCHMARK(BM_PrintCachedRow)->Unit(benchmark::kMicrosecond);

void BM_StepOnScreen(benchmark::State& state) {
    if (SDL_getenv("DISPLAY") == nullptr) {
        state.SkipWithError("needs a display: run bench/step-on-screen.sh");
        return;
    }
    SdlPlatform platform;
    SetSystem(&platform);
    ScreenMode mode;
    mode.scale = int(state.range(0));
    platform.SetScreenMode(mode);
    Crt.Open(300, 300);
    platform.OpenWindow("bench", 304, 304, nullptr);
    platform.PumpMessages();
    Crt.Refresh();
    const bool whole = state.range(1) != 0;
    RunState run;
    for (int i = 0; i < 4; ++i) run.TextLine[i] = kRow;
    size_t typed = 0;
    for (auto _ : state) {
        TypeOneStep(run, typed);
        if (whole) {
            Crt.Refresh();
            platform.ShowImage(Crt.Client());
        } else {
            Crt.ShowIfChanged();
        }
    }
    state.SetLabel(std::string(whole ? "whole image" : "changed part") + " at " +
                   std::to_string(mode.scale) + "x; target under 1 ms at 4x");
    SetSystem(nullptr);
}
BENCHMARK(BM_StepOnScreen)->Args({1, 0})->Args({4, 0})->Args({4, 1})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
