#include "platform/sdl/AudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Frames per device buffer: about 23 ms, short enough that a sound effect starts promptly.
constexpr int kBufferFrames = 1024;

enum class DeviceState { Untried, Open, Failed };

DeviceState state = DeviceState::Untried;
std::string openError;
bool subsystemStarted = false;
std::vector<void (*)()> releasers;
SDL_AudioDeviceID device = 0;
bool paused = false;

// SDL_mixer opens its device without saying which one it is; ours is the only one open.
SDL_AudioDeviceID MixerDevice() {
    for (SDL_AudioDeviceID id = 1; id <= 16; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return id;
    return 0;
}

// While SDL looks for a device, some sound libraries (ALSA's, without a sound card) print pages of
// their own complaints on stderr. They are held back, so that a missing device costs one line.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0) return;
        saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (saved >= 0) ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietStderr() {
        if (saved < 0) return;
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

std::string Fail(const std::string& what) {
    openError = what;
    state = DeviceState::Failed;
    std::fprintf(stderr, "tessaro: no sound: %s\n", what.c_str());
    if (subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
    }
    return openError;
}

}  // namespace

std::string OpenAudio() {
    if (state != DeviceState::Untried) return openError;

    std::string failure;
    {
        QuietStderr quiet;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = std::string("the audio system did not start: ") + SDL_GetError();
        } else {
            subsystemStarted = true;
            // No format changes allowed: SDL converts to whatever the hardware wants, so the
            // synthesizer can always render at kAudioRate.
            if (Mix_OpenAudioDevice(kAudioRate, AUDIO_S16SYS, kAudioChannels, kBufferFrames,
                                    nullptr, 0) != 0)
                failure = std::string("the audio device did not open: ") + Mix_GetError();
        }
    }
    if (!failure.empty()) return Fail(failure);

    Mix_AllocateChannels(1);  // channel 0: the one sound effect
    device = MixerDevice();
    paused = false;
    state = DeviceState::Open;
    openError.clear();
    return openError;
}

bool AudioIsOpen() { return state == DeviceState::Open; }

void PauseAudio(bool pause) {
    if (state != DeviceState::Open || device == 0 || paused == pause) return;
    SDL_PauseAudioDevice(device, pause ? 1 : 0);
    paused = pause;
}

// For the tests (tests/support/Probes.h), which no part of the program asks.
bool AudioIsPaused() { return state == DeviceState::Open && paused; }

void ReleaseBeforeClose(void (*release)()) {
    if (std::find(releasers.begin(), releasers.end(), release) == releasers.end())
        releasers.push_back(release);
}

void CloseAudio() {
    for (void (*release)() : releasers) release();
    if (state == DeviceState::Open) {
        Mix_SetPostMix(nullptr, nullptr);
        Mix_CloseAudio();
    }
    if (subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
    }
    state = DeviceState::Untried;
    openError.clear();
    device = 0;
    paused = false;
}
