#include "platform/sdl/MidiDevice.h"

#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <vector>

#include "platform/sdl/AudioOutput.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/MciCommand.h"
#include "platform/sdl/MidiRender.h"
#include "platform/sdl/SdlOutputVolume.h"

namespace {

// Synthesizer loudness. FluidSynth's default (0.2) is far quieter than ordinary music. At 2.5 a
// two-part piano piece on the small GM soundfont peaks at half of full scale (about -17 dBFS RMS);
// full arrangements, and the patches that are far louder than the piano (its strings are about
// eight times as loud), are held below full scale by the limiter instead of clipping.
constexpr double kSynthGain = 2.5;

const char* const kSystemSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Everything below is guarded by `lock`: the command functions run on the program's thread, the
// render hook on the audio thread, and the player advances only inside the hook.
struct Music {
    std::mutex lock;

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool hooked = false;

    // The open file. Without a synthesizer (no audio device) there is no player, but the states
    // are kept all the same.
    bool open = false;
    std::string midiData;
    fluid_player_t* player = nullptr;
    bool playing = false;  // playing as far as the commands go; the piece may have ended since

    MidiRenderState render;
};

Music music;

// FluidSynth reports through its log; only real errors are shown, and each only once, so that a
// broken file restarted every second does not fill the terminal.
void LogError(int level, const char* message, void*) {
    static std::set<std::string> shown;
    static std::mutex shownLock;
    std::lock_guard<std::mutex> guard(shownLock);
    if (!shown.insert(message).second) return;
    std::fprintf(stderr, "tessaro: music: %s%s\n", level == FLUID_PANIC ? "fatal: " : "", message);
}

void QuietenSynthLog() {
    fluid_set_log_function(FLUID_PANIC, LogError, nullptr);
    fluid_set_log_function(FLUID_ERR, LogError, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

// --- the player, with music.lock held ---

// The piece has been played to its end. The player goes on "playing" silence for a few seconds
// after the last event, so the position tells, not the player's status.
bool AtEnd() {
    if (music.player == nullptr) return false;
    const int total = fluid_player_get_total_ticks(music.player);
    return total > 0 && fluid_player_get_current_tick(music.player) >= total;
}

bool Finished() {
    if (!music.playing || music.player == nullptr) return false;
    // A file the player could not read ends at once.
    return AtEnd() || fluid_player_get_status(music.player) == FLUID_PLAYER_DONE;
}

void ReleaseNotes() {
    if (music.synth == nullptr) return;
    const int channels = fluid_synth_count_midi_channels(music.synth);
    for (int channel = 0; channel < channels; ++channel) {
        fluid_synth_cc(music.synth, channel, 64, 0);  // sustain pedal up
        fluid_synth_cc(music.synth, channel, 66, 0);  // sostenuto up
    }
    fluid_synth_all_notes_off(music.synth, -1);
}

void DeletePlayer() {
    if (music.player == nullptr) return;
    fluid_player_stop(music.player);
    delete_fluid_player(music.player);
    music.player = nullptr;
    ReleaseNotes();
}

// A fresh player for the open file, at its start.
void LoadPlayer() {
    DeletePlayer();
    if (music.synth == nullptr || !music.open) return;
    music.player = new_fluid_player(music.synth);
    if (music.player == nullptr) return;
    if (fluid_player_add_mem(music.player, music.midiData.data(), music.midiData.size()) !=
        FLUID_OK) {
        delete_fluid_player(music.player);
        music.player = nullptr;
    }
}

// What was rendered ahead is still heard to its end, so that a piece played again goes on from
// exactly where the sound stopped.
void Stop() {
    if (music.player != nullptr) fluid_player_stop(music.player);
    ReleaseNotes();
    music.playing = false;
}

void Close() {
    DeletePlayer();
    // Silent at once, with what was rendered ahead dropped.
    if (music.synth != nullptr) fluid_synth_all_sounds_off(music.synth, -1);
    music.render.DropRendered();
    music.open = false;
    music.playing = false;
    music.midiData.clear();
    music.midiData.shrink_to_fit();
}

// A standard MIDI file ("MThd" header), or one wrapped in a RIFF "RMID" container as Windows
// stores them; returns the standard file, or "" when it is neither.
std::string StandardMidiFile(const std::string& content) {
    if (content.size() >= 14 && content.compare(0, 4, "MThd") == 0) return content;
    if (content.size() >= 20 && content.compare(0, 4, "RIFF") == 0 &&
        content.compare(8, 4, "RMID") == 0) {
        size_t at = 12;
        while (at + 8 <= content.size()) {
            const auto byte = [&](size_t i) { return uint32_t(uint8_t(content[at + 4 + i])); };
            const uint32_t size = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
            if (content.compare(at, 4, "data") == 0)
                return StandardMidiFile(content.substr(at + 8, size));
            // Counted in size_t: a size near 4 GB must not wrap round to a step of nothing.
            at += 8 + size_t(size) + (size & 1);
        }
    }
    return "";
}

void Open(const std::string& path) {
    if (music.open) return;  // the alias is taken; the device answers with an error
    std::string content;
    try {
        content = StandardMidiFile(ReadAssetFile(path, kMediaFileCap));
    } catch (const RunTimeError&) {
        return;
    }
    if (content.empty()) return;
    music.midiData = std::move(content);
    music.open = true;
    music.playing = false;
    LoadPlayer();
}

// Stops and goes back to the start: a fresh player is the one sure way to its first tick.
void Rewind() {
    if (!music.open) return;
    Stop();
    LoadPlayer();
}

void Play(bool fromStart) {
    if (!music.open) return;
    if (fromStart) Rewind();
    else if (AtEnd()) return;  // the position is at the end: nothing left to play
    if (music.player != nullptr && fluid_player_play(music.player) != FLUID_OK) return;
    music.playing = true;
}

std::string Status() {
    if (!music.open) return "";
    return music.playing && !Finished() ? "playing" : "stopped";
}

// The render hook, on the audio thread.
void RenderMusic(void*, Uint8* stream, int length) {
    std::lock_guard<std::mutex> guard(music.lock);
    RenderMidi(music.synth, music.player, music.render, reinterpret_cast<int16_t*>(stream),
               length / int(sizeof(int16_t)));
    // Rendered at full loudness whatever the volume, so that muted music goes on where it is.
    ScaleToOutputVolume(reinterpret_cast<int16_t*>(stream), size_t(length) / sizeof(int16_t));
}

// The soundfonts looked for, in order: $TESSARO_SOUNDFONT when set, then the usual system ones.
std::string FindSoundFont(std::string* tried) {
    std::vector<std::string> candidates;
    if (const char* chosen = std::getenv("TESSARO_SOUNDFONT"); chosen != nullptr && *chosen)
        candidates.emplace_back(chosen);
    candidates.insert(candidates.end(), std::begin(kSystemSoundFonts), std::end(kSystemSoundFonts));
    if (tried != nullptr) tried->clear();
    for (const std::string& candidate : candidates) {
        if (tried != nullptr) *tried += (tried->empty() ? "" : ", ") + candidate;
        if (FILE* file = std::fopen(candidate.c_str(), "rb")) {
            std::fclose(file);
            return candidate;
        }
    }
    return "";
}

}  // namespace

std::string MidiSendCommand(const std::string& command) {
    using Verb = MciCommand::Verb;
    const MciCommand asked = ParseMciCommand(command);
    if (asked.verb == Verb::Ignored) return "";
    if (asked.verb == Verb::Open) StartMidiSynth();

    std::lock_guard<std::mutex> guard(music.lock);
    switch (asked.verb) {
    case Verb::Open: Open(asked.path); break;
    case Verb::Play: Play(false); break;
    case Verb::PlayFromStart: Play(true); break;
    case Verb::Stop:
        if (music.open) Stop();
        break;
    case Verb::SeekToStart: Rewind(); break;
    case Verb::StatusMode: return Status();
    case Verb::Close: Close(); break;
    case Verb::Ignored: break;
    }
    return "";
}

bool MidiIsSounding() {
    std::unique_lock<std::mutex> guard(music.lock, std::try_to_lock);
    return !guard.owns_lock() || music.render.HoldsRendered() ||
           MidiSounding(music.synth, music.player);
}

// For the tests (tests/support/Probes.h), which no part of the program asks.
int MidiCurrentTick() {
    std::lock_guard<std::mutex> guard(music.lock);
    if (music.player == nullptr) return -1;
    return fluid_player_get_current_tick(music.player);
}

void StartMidiSynth() {
    if (!OpenAudio().empty()) return;
    ReleaseBeforeClose(StopMidiSynth);
    std::unique_lock<std::mutex> guard(music.lock);
    if (music.synth != nullptr) return;
    QuietenSynthLog();

    // Only the synthesizer: no audio or MIDI driver of FluidSynth's own is ever created, so
    // nothing but SDL opens a device. The player is timed by the samples rendered.
    music.settings = new_fluid_settings();
    if (music.settings == nullptr) return;
    fluid_settings_setnum(music.settings, "synth.sample-rate", double(kAudioRate));
    fluid_settings_setnum(music.settings, "synth.gain", kSynthGain);
    fluid_settings_setint(music.settings, "synth.cpu-cores", 1);
    fluid_settings_setint(music.settings, "synth.lock-memory", 0);
    fluid_settings_setstr(music.settings, "player.timing-source", "sample");
    fluid_settings_setint(music.settings, "synth.polyphony", 64);
    fluid_settings_setint(music.settings, "synth.dynamic-sample-loading", 1);
    music.synth = new_fluid_synth(music.settings);
    if (music.synth == nullptr) {
        delete_fluid_settings(music.settings);
        music.settings = nullptr;
        return;
    }

    // Straight-line interpolation of the samples: the synthesizer is most of what a story costs
    // while music plays, and this takes a fifth off it. What it changes lies about 31 dB below
    // the music, as much as going from the default fourth-order to seventh-order would.
    fluid_synth_set_interp_method(music.synth, -1, FLUID_INTERP_LINEAR);
    // Without a soundfont the synthesizer still runs, silently, so that pieces still end.
    std::string tried;
    const std::string soundFont = FindSoundFont(&tried);
    if (soundFont.empty() || fluid_synth_sfload(music.synth, soundFont.c_str(), 1) == FLUID_FAILED)
        std::fprintf(stderr, "tessaro: music is silent: no usable soundfont (tried %s)\n",
                     tried.c_str());

    music.render.Reset();
    if (music.open) LoadPlayer();  // a file opened while there was no synthesizer
    music.hooked = true;
    guard.unlock();
    Mix_HookMusic(RenderMusic, nullptr);
}

void StopMidiSynth() {
    // Unhooked first, outside the lock: Mix_HookMusic waits for the audio thread, which may be
    // waiting for the lock inside the hook.
    bool hooked;
    {
        std::lock_guard<std::mutex> guard(music.lock);
        hooked = music.hooked;
        music.hooked = false;
    }
    if (hooked) Mix_HookMusic(nullptr, nullptr);

    std::lock_guard<std::mutex> guard(music.lock);
    Close();
    if (music.synth != nullptr) delete_fluid_synth(music.synth);
    if (music.settings != nullptr) delete_fluid_settings(music.settings);
    music.synth = nullptr;
    music.settings = nullptr;
    music.render = MidiRenderState();
}
