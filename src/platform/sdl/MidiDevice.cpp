#include "platform/sdl/MidiDevice.h"

#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <vector>

#include "platform/sdl/AudioOutput.h"
#include "system/MciCommand.h"
#include "system/MusicDevice.h"
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

    // The open file (empty when none). Without a synthesizer (no audio device) there is no
    // player, but the device keeps its states all the same.
    MusicDevice device;
    std::string midiData;
    fluid_player_t* player = nullptr;

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
bool PlayedToTheEnd() {
    if (music.player == nullptr) return false;
    const int total = fluid_player_get_total_ticks(music.player);
    return total > 0 && fluid_player_get_current_tick(music.player) >= total;
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
    if (music.synth == nullptr || music.midiData.empty()) return;
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
void StopPlayer() {
    if (music.player != nullptr) fluid_player_stop(music.player);
    ReleaseNotes();
}

// FluidSynth's player under the device's commands (system/MusicDevice.h).
class FluidPlayer : public MusicPlayer {
public:
    void Load(const std::string& midi) override {
        music.midiData = midi;
        LoadPlayer();
    }
    bool Play(bool fromStart) override {
        if (fromStart) Rewind();
        return music.player == nullptr || fluid_player_play(music.player) == FLUID_OK;
    }
    void Stop() override { StopPlayer(); }
    // A fresh player is the one sure way to its first tick.
    void Rewind() override {
        StopPlayer();
        LoadPlayer();
    }
    void Close() override {
        DeletePlayer();
        // Silent at once, with what was rendered ahead dropped.
        if (music.synth != nullptr) fluid_synth_all_sounds_off(music.synth, -1);
        music.render.DropRendered();
        music.midiData.clear();
        music.midiData.shrink_to_fit();
    }
    bool AtEnd() override { return PlayedToTheEnd(); }
    // A file the player could not read ends at once.
    bool Ended() override {
        return music.player != nullptr && (PlayedToTheEnd() || fluid_player_get_status(music.player) == FLUID_PLAYER_DONE);
    }
};

FluidPlayer fluidPlayer;

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
    return music.device.Send(asked, fluidPlayer);
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
    LoadPlayer();  // a file opened while there was no synthesizer
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
    music.device.Close(fluidPlayer);
    if (music.synth != nullptr) delete_fluid_synth(music.synth);
    if (music.settings != nullptr) delete_fluid_settings(music.settings);
    music.synth = nullptr;
    music.settings = nullptr;
    music.render = MidiRenderState();
}
