// The soundfont cut down to a story's music: rendered offline by FluidSynth (the same synthesizer
// the page runs), every sample of the story's music is the same as through the whole soundfont.
#include <gtest/gtest.h>
#include <fluidsynth.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include <unistd.h>

#include "publish/SoundFontCut.h"
#include "publish/Runtimes.h"
#include "system/Files.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A format 0 MIDI file of the given events (delta time, then the event's bytes) and its end.
std::string Midi(const std::vector<std::vector<uint8_t>>& events) {
    std::string track;
    for (const auto& event : events) track.append(event.begin(), event.end());
    track += std::string("\x00\xff\x2f\x00", 4);
    std::string out = std::string("MThd\0\0\0\6\0\0\0\1\1\xe0", 14) + "MTrk";
    for (int shift : {24, 16, 8, 0}) out += char((track.size() >> shift) & 0xff);
    return out + track;
}

// The music rendered by FluidSynth through the soundfont, 16-bit stereo at 44.1 kHz, to the end
// of the piece and a second of its release.
std::vector<int16_t> Render(const std::string& soundFontPath, const std::string& midi) {
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    EXPECT_NE(fluid_synth_sfload(synth, soundFontPath.c_str(), 1), FLUID_FAILED);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, midi.data(), midi.size());
    fluid_player_play(player);
    std::vector<int16_t> out;
    std::vector<int16_t> block(2 * 512);
    int after = 0;
    for (int guard = 0; guard < 44100 * 120 / 512 && after < 44100 / 512; ++guard) {
        fluid_synth_write_s16(synth, 512, block.data(), 0, 2, block.data(), 1, 2);
        out.insert(out.end(), block.begin(), block.end());
        if (fluid_player_get_status(player) != FLUID_PLAYER_PLAYING) ++after;
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return out;
}

}  // namespace

TEST(SoundFontCut, TheStorysMusicSoundsTheSameThroughTheCut) {
    if (!fs::exists(kSoundFontPath)) GTEST_SKIP() << "no " << kSoundFontPath;
    const std::string whole = Slurp(kSoundFontPath);
    const fs::path scratch = fs::temp_directory_path() / ("soundfont-cut-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    struct Case {
        const char* what;
        std::string midi;
    };
    const std::vector<Case> cases = {
        {"the sample story's first piece", Slurp(fs::path(TESSARO_SOURCE_DIR) / "story/Bgm/Bgm01.mid")},
        {"the sample story's second piece", Slurp(fs::path(TESSARO_SOURCE_DIR) / "story/Bgm/Bgm02.mid")},
        // Notes before any program change (program 0), a change mid-piece, drums on channel 10
        // with a kit change, and a bank the soundfont lacks (the synthesizer falls back to bank 0).
        {"drums, a program change and a missing bank",
         Midi({{0, 0x90, 60, 100}, {0x60, 0x80, 60, 0}, {0, 0xc0, 24}, {0, 0x90, 64, 100}, {0x60, 0x80, 64, 0},
               {0, 0x99, 36, 100}, {0, 0x99, 42, 100}, {0x60, 0x89, 36, 0}, {0, 0xc9, 8}, {0, 0x99, 38, 100},
               {0x60, 0x89, 38, 0}, {0, 0xb1, 0, 8}, {0, 0xc1, 48}, {0, 0x91, 67, 90}, {0x83, 0x00, 0x81, 67, 0}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string cut = CutSoundFont(whole, NotesPlayedBy({c.midi}));
        EXPECT_LT(cut.size(), whole.size() / 3);
        const fs::path cutPath = scratch / "cut.sf2";
        WriteWholeFile(cutPath.string(), cut);
        const std::vector<int16_t> heard = Render(kSoundFontPath, c.midi);
        const std::vector<int16_t> heardCut = Render(cutPath.string(), c.midi);
        ASSERT_EQ(heard.size(), heardCut.size());
        size_t differing = 0, loud = 0;
        for (size_t i = 0; i < heard.size(); ++i) {
            differing += heard[i] != heardCut[i];
            loud += std::abs(heard[i]) > 1000;
        }
        EXPECT_GT(loud, 1000u) << "the music is heard at all";
        EXPECT_EQ(differing, 0u);
    }
    fs::remove_all(scratch);
}

TEST(SoundFontCut, NotesOnThePresetsTheirChannelsSelect) {
    struct Case {
        const char* what;
        std::string midi;
        PlayedNotes expected;
    };
    const std::vector<Case> cases = {
        {"a note without a program change", Midi({{0, 0x90, 60, 100}, {0x60, 0x80, 60, 0}}), {{{0, 0}, {{60, 100}}}}},
        {"a bank and a program, selected but not played", Midi({{0, 0xb2, 0, 8}, {0, 0xc2, 5}}), {{{8, 5}, {}}, {{0, 5}, {}}}},
        {"a bank select alone changes nothing until the program changes",
         Midi({{0, 0xb3, 0, 8}, {0, 0x93, 64, 70}, {0, 0xc3, 1}, {0, 0x93, 65, 71}}),
         {{{0, 0}, {{64, 70}}}, {{8, 1}, {{65, 71}}}, {{0, 1}, {{65, 71}}}}},
        {"channel 10 plays the percussion bank", Midi({{0, 0xc9, 25}, {0, 0x99, 36, 90}}),
         {{{128, 25}, {{36, 90}}}, {{128, 0}, {{36, 90}}}}},
        {"running status and a meta event between; a velocity of 0 is no note",
         Midi({{0, 0xc0, 3}, {0, 0xff, 0x01, 2, 'h', 'i'}, {0, 0xc1, 7}, {0, 9}, {0, 0x90, 50, 0}}),
         {{{0, 3}, {}}, {{0, 7}, {}}, {{0, 9}, {}}}},
        {"a file that is not MIDI", "RIFF....WAVE", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(NotesPlayedBy({c.midi}), c.expected) << c.what;

    // A format 1 file: the program change in one track comes before the notes of another in time,
    // though the note's track is read first.
    std::string notes = std::string("\x10\x90\x3c\x40\x10\x80\x3c\x00\x00\xff\x2f\x00", 12);
    std::string change = std::string("\x00\xc0\x10\x00\xff\x2f\x00", 7);
    const auto track = [](const std::string& events) {
        std::string out = "MTrk";
        for (int shift : {24, 16, 8, 0}) out += char((events.size() >> shift) & 0xff);
        return out + events;
    };
    const std::string format1 = std::string("MThd\0\0\0\6\0\1\0\2\1\xe0", 14) + track(notes) + track(change);
    const PlayedNotes format1Played = NotesPlayedBy({format1});
    EXPECT_EQ(format1Played.count({0, 0}), 0u);
    ASSERT_EQ(format1Played.count({0, 16}), 1u);
    EXPECT_EQ(format1Played.at({0, 16}), (std::set<Note>{{60, 64}}));
}

TEST(SoundFontCut, RefusesWhatIsNotASoundFont) {
    EXPECT_THROW(CutSoundFont("RIFF\4\0\0\0WAVE", {{{0, 0}, {}}}), std::runtime_error);
    EXPECT_THROW(CutSoundFont(std::string("RIFF\x10\0\0\0sfbkLIST\4\0\0\0INFO", 24), {{{0, 0}, {}}}), std::runtime_error);
}
