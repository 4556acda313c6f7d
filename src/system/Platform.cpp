#include "system/Platform.h"

#include <cassert>

namespace {
Platform* current = nullptr;
}

Platform& System() {
    assert(current != nullptr);
    return *current;
}

void SetSystem(Platform* platform) { current = platform; }
