#pragma once
// Small sound files made on the spot for the audio tests, a scratch folder to put them in, and
// waiting on the audio device by the amount of sound it has mixed.
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "system/AudioOutput.h"
#include "system/MidiDevice.h"
#include "system/WaveDevice.h"

namespace audiotest {

inline void Put16(std::string& out, uint32_t value, bool bigEndian) {
    if (bigEndian) out += {char(value >> 8 & 0xff), char(value & 0xff)};
    else out += {char(value & 0xff), char(value >> 8 & 0xff)};
}

inline void Put32(std::string& out, uint32_t value, bool bigEndian) {
    if (bigEndian) {
        Put16(out, value >> 16, true);
        Put16(out, value & 0xffff, true);
    } else {
        Put16(out, value & 0xffff, false);
        Put16(out, value >> 16, false);
    }
}

struct MidiEvent {
    uint32_t delta;  // ticks since the previous event
    std::vector<uint8_t> bytes;
};

// A format-0 standard MIDI file at 480 ticks a quarter note and the default tempo (120 beats a
// minute), so 960 ticks last one second.
inline std::string MidiFile(const std::vector<MidiEvent>& events) {
    std::string track;
    for (const MidiEvent& event : events) {
        uint32_t delta = event.delta;
        std::string quantity(1, char(delta & 0x7f));
        while (delta >>= 7) quantity.insert(quantity.begin(), char((delta & 0x7f) | 0x80));
        track += quantity;
        track.append(event.bytes.begin(), event.bytes.end());
    }
    track += std::string("\x00\xff\x2f\x00", 4);  // end of track
    std::string file = "MThd";
    Put32(file, 6, true);
    Put16(file, 0, true);
    Put16(file, 1, true);
    Put16(file, 480, true);
    file += "MTrk";
    Put32(file, uint32_t(track.size()), true);
    return file + track;
}

// `count` piano notes one after another, `ticksEach` long (240 ticks = a quarter second).
inline std::string Melody(int count, uint32_t ticksEach = 240) {
    std::vector<MidiEvent> events{{0, {0xc0, 0}}};
    for (int i = 0; i < count; ++i) {
        const auto key = uint8_t(60 + 2 * i);
        events.push_back({0, {0x90, key, 100}});
        events.push_back({ticksEach, {0x80, key, 0}});
    }
    return MidiFile(events);
}

// A church organ chord held by the sustain pedal for `ticks`: it sounds until both the notes and
// the pedal are released.
inline std::string HeldOrgan(uint32_t ticks) {
    return MidiFile({{0, {0xc0, 19}},
                     {0, {0xb0, 64, 127}},
                     {0, {0x90, 60, 100}},
                     {0, {0x90, 67, 100}},
                     {ticks, {0x80, 60, 0}},
                     {0, {0x80, 67, 0}},
                     {0, {0xb0, 64, 0}}});
}

// A mono 16-bit wave file of a 440 Hz tone with the given peak amplitude.
inline std::string ToneWave(int milliseconds, int amplitude) {
    const int rate = 44100;
    const int frames = rate * milliseconds / 1000;
    std::string file = "RIFF";
    Put32(file, uint32_t(36 + frames * 2), false);
    file += "WAVEfmt ";
    Put32(file, 16, false);
    Put16(file, 1, false);  // PCM
    Put16(file, 1, false);  // mono
    Put32(file, rate, false);
    Put32(file, rate * 2, false);
    Put16(file, 2, false);
    Put16(file, 16, false);
    file += "data";
    Put32(file, uint32_t(frames * 2), false);
    for (int i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * 440.0 * i / rate);
        Put16(file, uint32_t(int16_t(std::lrint(value))) & 0xffff, false);
    }
    return file;
}

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaro-audio-XXXXXX");
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes a file at `relative` (folders made as needed) and returns its full path.
    std::string Write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path full = std::filesystem::path(path) / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << content;
        return full.string();
    }

    std::string path;
};

// Sleeps until the device has mixed at least `milliseconds` more of sound (or a generous time
// has passed, should it have stalled).
inline void WaitForAudio(int milliseconds) {
    const uint64_t target = AudioFramesMixed() + uint64_t(milliseconds) * kAudioRate / 1000;
    const uint32_t giveUp = SDL_GetTicks() + 2000u + uint32_t(milliseconds) * 4u;
    while (AudioFramesMixed() < target && SDL_GetTicks() < giveUp) SDL_Delay(5);
}

// Sleeps in steps of `step` ms until `done()` holds or `limit` ms of sound have been mixed.
template <typename Condition>
bool WaitUntil(Condition done, int limit, int step = 20) {
    for (int waited = 0; waited < limit; waited += step) {
        if (done()) return true;
        WaitForAudio(step);
    }
    return done();
}

// The device stays open from test to test (as in the program); each test starts with nothing
// playing and silence on the output.
class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(OpenAudio(), "");
        ASSERT_FALSE(folder.path.empty());
    }
    void TearDown() override {
        MidiSendCommand("close MIDI notify");
        PlayWaveFile("");
    }

    ScratchFolder folder;
};

}  // namespace audiotest
