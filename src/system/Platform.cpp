#include "system/Platform.h"

#include <cassert>

#include "system/TraceFile.h"

namespace {
Platform* current = nullptr;
}

Platform& System() {
    assert(current != nullptr);
    return *current;
}

void SetSystem(Platform* platform) { current = platform; }

void Platform::Trace(const char* event) { NoteInTrace(event); }

void Platform::Announce(const std::string&) {}

bool Platform::TapHit(int&, int&) { return false; }
