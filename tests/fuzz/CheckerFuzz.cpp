// The checker against the player (support/CheckedStory.h): any story the checker passes and the
// player stops on with an error is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzStory.h"
#include "support/CheckedStory.h"
#include "support/TestPlatform.h"
#include "window/MainForm.h"

// The font is loaded once, as in the program, before the runs that are checked for leaks.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TestPlatform platform;
    ScreenWidth = ScreenHeight = 300;
    MainForm_Load();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteGeneratedStory(ScratchStory(), std::string(reinterpret_cast<const char*>(data), size));
    const std::string disagreement = CheckerDisagreement(ScratchStory());
    if (!disagreement.empty()) {
        std::fputs(disagreement.c_str(), stderr);
        std::abort();
    }
    return 0;
}
