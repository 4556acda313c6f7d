#include "system/AudioOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "system/MidiDevice.h"
#include "system/WaveDevice.h"

namespace {

// Frames per device buffer: about 23 ms, short enough that a sound effect starts promptly.
constexpr int kBufferFrames = 1024;

enum class DeviceState { Untried, Open, Failed };

DeviceState state = DeviceState::Untried;
std::string openError;
bool subsystemStarted = false;
SDL_AudioDeviceID device = 0;
bool paused = false;

// SDL_mixer opens its device without saying which one it is; ours is the only one open.
SDL_AudioDeviceID MixerDevice() {
    for (SDL_AudioDeviceID id = 1; id <= 16; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return id;
    return 0;
}

// The meter: the level of each mixed block, newest last, in a ring.
struct BlockLevel {
    int frames = 0;
    int peak = 0;
    double sumOfSquares = 0;
};
constexpr size_t kMeterBlocks = 512;  // several seconds at any sensible buffer size

std::mutex meterLock;
std::array<BlockLevel, kMeterBlocks> meter;
size_t meterNext = 0;   // the slot the next block goes to
size_t meterCount = 0;  // blocks held
std::atomic<uint64_t> framesMixed{0};

void ResetMeter() {
    std::lock_guard<std::mutex> guard(meterLock);
    meter.fill(BlockLevel{});
    meterNext = 0;
    meterCount = 0;
    framesMixed = 0;
}

// Runs on the audio thread after music and effects are mixed into the stream.
void MeasureBlock(void*, Uint8* stream, int length) {
    const auto* samples = reinterpret_cast<const int16_t*>(stream);
    const int count = length / int(sizeof(int16_t));
    BlockLevel level;
    level.frames = count / kAudioChannels;
    for (int i = 0; i < count; ++i) {
        const int value = samples[i];
        const int magnitude = value < 0 ? -value : value;
        if (magnitude > level.peak) level.peak = magnitude;
        level.sumOfSquares += double(value) * double(value);
    }
    std::lock_guard<std::mutex> guard(meterLock);
    meter[meterNext] = level;
    meterNext = (meterNext + 1) % kMeterBlocks;
    if (meterCount < kMeterBlocks) ++meterCount;
    framesMixed += uint64_t(level.frames);
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
    ResetMeter();
    Mix_SetPostMix(MeasureBlock, nullptr);
    state = DeviceState::Open;
    openError.clear();
    StartMidiSynth();
    return openError;
}

bool AudioIsOpen() { return state == DeviceState::Open; }

void PauseAudio(bool pause) {
    if (state != DeviceState::Open || device == 0 || paused == pause) return;
    SDL_PauseAudioDevice(device, pause ? 1 : 0);
    paused = pause;
}

bool AudioIsPaused() { return state == DeviceState::Open && paused; }

void CloseAudio() {
    StopMidiSynth();
    if (state == DeviceState::Open) {
        StopWaveEffects();
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

AudioLevel RecentAudioLevel(int milliseconds) {
    const int64_t wanted = int64_t(milliseconds) * kAudioRate / 1000;
    std::lock_guard<std::mutex> guard(meterLock);
    AudioLevel level;
    int64_t frames = 0;
    double sumOfSquares = 0;
    size_t slot = meterNext;
    for (size_t taken = 0; taken < meterCount && frames < wanted; ++taken) {
        slot = (slot + kMeterBlocks - 1) % kMeterBlocks;
        const BlockLevel& block = meter[slot];
        frames += block.frames;
        sumOfSquares += block.sumOfSquares;
        if (block.peak > level.peak) level.peak = block.peak;
    }
    if (frames > 0) level.rms = std::sqrt(sumOfSquares / double(frames * kAudioChannels));
    return level;
}

uint64_t AudioFramesMixed() { return framesMixed; }
