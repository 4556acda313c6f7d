// Music command strings through the real music device, one command a line, from inside the
// scratch story so that relative paths can name its pieces (so the corpus folders given to it
// must be absolute). The device is closed after each input, so inputs do not depend on each other.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzStory.h"
#include "platform/sdl/MidiDevice.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    OpenDummyAudio();
    if (::chdir(ScratchStory().c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string commands(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= commands.size();) {
        size_t end = commands.find('\n', start);
        if (end == std::string::npos) end = commands.size();
        MidiSendCommand(commands.substr(start, end - start));
        start = end + 1;
    }
    MidiSendCommand("close MIDI");
    return 0;
}
