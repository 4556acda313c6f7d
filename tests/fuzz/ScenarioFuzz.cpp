// Scenario bytes through the real loader and interpreter on the test platform. Space, Up and Down
// are pressed now and then, and the window is closed after a while of the virtual clock, so every
// input ends: with the story's end, an error, or the close.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/Bgm.h"
#include "fuzz/FuzzStory.h"
#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "support/TestPlatform.h"
#include "system/Errors.h"
#include "window/MainForm.h"

// The font is loaded once, as in the program, before the runs that are checked for leaks.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TestPlatform platform;
    ScreenWidth = ScreenHeight = 300;
    MainForm_Load();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteScratch("Data/Data00.Dat", std::string(reinterpret_cast<const char*>(data), size));
    TestPlatform platform;
    for (int64_t at = 200; at < 6000; at += 300)
        platform.PressKey(at, at % 900 == 200 ? Key::Down : Key::Space, at % 600 == 200 ? 150 : 1);
    platform.CloseWindowAt(6000);
    for (auto& slot : ScriptLine) slot.clear();
    BgmLoop = 0;
    try {
        ScreenWidth = ScreenHeight = 300;
        MainForm_Load();
        LoadScenario(U"00");
        RunScript();
    } catch (const RunTimeError&) {
    } catch (const ProgramEnd&) {
    }
    return 0;
}
