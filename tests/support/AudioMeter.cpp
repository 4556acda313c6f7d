#include "support/AudioMeter.h"

#include <SDL_mixer.h>

#include <array>
#include <atomic>
#include <cmath>
#include <mutex>

#include "platform/sdl/AudioOutput.h"
#include "platform/sdl/MidiDevice.h"

namespace {

// The level of each mixed block, newest last, in a ring.
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

}  // namespace

std::string OpenAudioWithMeter() {
    // The synthesizer too, as the program's start-up does: loading the soundfont in the middle of
    // a test would put the test's clock behind the sound.
    StartMidiSynth();
    const std::string error = OpenAudio();
    if (!error.empty()) return error;
    ResetMeter();
    Mix_SetPostMix(MeasureBlock, nullptr);
    return error;
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
