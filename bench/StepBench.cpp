// The cost of one interpreter step's drawing: the box and five rows, with the current row one
// character longer each time (as while text types). The pace is 15 ms a step; the drawing should
// stay far below it (the target is 0.3 ms).
#include <benchmark/benchmark.h>

#include "script/Interpreter.h"
#include "support/TestPlatform.h"
#include "window/Crt.h"

namespace {

const std::u32string kRow = U"夜の海に灯台の光が静かに揺れていた。波の音が遠く";

void BM_StepDrawing(benchmark::State& state) {
    TestPlatform platform;
    Crt.Open(300, 300);
    RunState run;
    for (int i = 0; i < 4; ++i) run.TextLine[i] = kRow;
    run.TextRow = 4;
    size_t typed = 0;
    for (auto _ : state) {
        run.TextLine[4] = kRow.substr(0, typed % kRow.size() + 1);
        ++typed;
        DrawMessageRows(run);
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

}  // namespace

BENCHMARK_MAIN();
