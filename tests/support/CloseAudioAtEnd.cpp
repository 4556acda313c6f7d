// Whatever test opened the audio device, it is closed once all tests have run: left open, its
// thread goes on rendering music into the device's state while the process's globals are
// destroyed.
#include <gtest/gtest.h>

#include "platform/sdl/AudioOutput.h"

namespace {

struct CloseAudioAtEnd : ::testing::Environment {
    void TearDown() override { CloseAudio(); }
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new CloseAudioAtEnd);

}  // namespace
