#include "system/TraceFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
std::FILE* trace = nullptr;
}

void OpenTraceFile() {
    const char* path = std::getenv("TESSARO_TRACE");
    if (trace != nullptr || path == nullptr || *path == '\0') return;
    trace = std::fopen(path, "w");
    if (trace != nullptr) std::setvbuf(trace, nullptr, _IOLBF, 256);
}

void NoteInTrace(const char* event) {
    if (trace == nullptr) return;
    // The monotonic clock, so that a benchmark can set it beside the moment it started us.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(trace, "%lld %s\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
                 event);
}
