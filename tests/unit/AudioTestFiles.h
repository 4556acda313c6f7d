#pragma once
// For the audio tests: small sound files made on the spot in a scratch folder, and waiting on the
// device by the amount of sound it has mixed. The device stays open from test to test, as in the
// program; each test starts with nothing playing.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/AudioMeter.h"
#include "platform/sdl/AudioOutput.h"
#include "platform/sdl/MidiDevice.h"
#include "platform/sdl/MidiRender.h"
#include "platform/sdl/WaveDevice.h"

namespace audiotest {

// An unsigned number in `bytes` bytes, most significant first unless littleEndian.
inline std::string Number(uint32_t value, int bytes, bool littleEndian) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += char(value >> 8 * (littleEndian ? i : bytes - 1 - i));
    return out;
}

// A format-0 standard MIDI file from (delta ticks, event bytes) pairs; 480 ticks a quarter note
// at the default 120 beats a minute, so 960 ticks last a second.
inline std::string MidiFile(const std::vector<std::pair<uint32_t, std::string>>& events) {
    std::string track;
    for (const auto& [delta, bytes] : events) {
        std::string quantity(1, char(delta & 0x7f));
        for (uint32_t rest = delta >> 7; rest != 0; rest >>= 7)
            quantity.insert(quantity.begin(), char((rest & 0x7f) | 0x80));
        track += quantity + bytes;
    }
    track += std::string("\0\xff\x2f\0", 4);
    return "MThd" + Number(6, 4, false) + Number(0, 2, false) + Number(1, 2, false) +
           Number(480, 2, false) + "MTrk" + Number(uint32_t(track.size()), 4, false) + track;
}

// `count` piano notes of a quarter second each.
inline std::string Melody(int count) {
    std::vector<std::pair<uint32_t, std::string>> events{{0, {'\xc0', 0}}};
    for (int i = 0; i < count; ++i) {
        const char key = char(60 + 2 * i);
        events.push_back({0, {'\x90', key, 100}});
        events.push_back({240, {'\x80', key, 0}});
    }
    return MidiFile(events);
}

// A church organ chord held down by the sustain pedal for ten seconds.
inline std::string HeldOrgan() {
    return MidiFile({{0, {'\xc0', 19}}, {0, {'\xb0', 64, 127}}, {0, {'\x90', 60, 100}},
                     {0, {'\x90', 67, 100}}, {9600, {'\x80', 60, 0}}, {0, {'\x80', 67, 0}}});
}

// A mono 16-bit wave file of a 440 Hz tone with the given peak.
inline std::string ToneWave(int milliseconds, int amplitude) {
    const uint32_t frames = uint32_t(44100 * milliseconds / 1000);
    std::string file = "RIFF" + Number(36 + frames * 2, 4, true) + "WAVEfmt " +
                       Number(16, 4, true) + Number(1, 2, true) + Number(1, 2, true) +
                       Number(44100, 4, true) + Number(88200, 4, true) + Number(2, 2, true) +
                       Number(16, 2, true) + "data" + Number(frames * 2, 4, true);
    for (uint32_t i = 0; i < frames; ++i)
        file += Number(uint32_t(std::lrint(amplitude * std::sin(2 * std::numbers::pi * 440 * i / 44100))), 2, true);
    return file;
}

// Sleeps until the device has mixed `milliseconds` more of sound (or long enough has passed, should
// it have stalled).
inline void WaitForAudio(int milliseconds) {
    const uint64_t target = AudioFramesMixed() + uint64_t(milliseconds) * kAudioRate / 1000;
    const uint64_t giveUp = SDL_GetTicks64() + 2000 + uint64_t(milliseconds) * 4;
    while (AudioFramesMixed() < target && SDL_GetTicks64() < giveUp) SDL_Delay(5);
}

// Waits in steps of 20 ms of sound until `done()` holds, for at most `limit` ms of sound.
template <typename Condition>
bool WaitUntil(Condition done, int limit) {
    for (int waited = 0; waited < limit && !done(); waited += 20) WaitForAudio(20);
    return done();
}

inline int Peak(int milliseconds) { return RecentAudioLevel(milliseconds).peak; }

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(OpenAudioWithMeter(), "");
        folder = std::filesystem::temp_directory_path() /
                 ("tessaro-audio-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        MidiSendCommand("close MIDI notify");
        PlayWaveFile("");
        std::filesystem::remove_all(folder);
    }

    // Writes a file below the scratch folder (making folders as needed); returns its full path.
    std::string Write(const std::string& relative, const std::string& content) {
        const std::filesystem::path full = folder / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << content;
        return full.string();
    }

    std::filesystem::path folder;
};

}  // namespace audiotest
