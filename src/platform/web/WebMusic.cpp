#include "platform/web/WebMusic.h"

#include <emscripten.h>

#include <cstdint>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/MciCommand.h"

EM_JS(void, web_music_load, (const char* bytes, int length), { Module.page.musicLoad(bytes, length); });
EM_JS(void, web_music_play, (int fromStart), { Module.page.musicPlay(fromStart); });
EM_JS(void, web_music_stop, (), { Module.page.musicStop(); });
EM_JS(void, web_music_close, (), { Module.page.musicClose(); });
// 1 once the piece has been played to its end (the page watches the player's position).
EM_JS(int, web_music_at_end, (), { return Module.page.musicAtEnd(); });

namespace {

bool pieceOpen = false;
bool playing = false;

// A standard MIDI file, or the one inside a RIFF "RMID" container; "" when it is neither.
std::string StandardMidiFile(const std::string& content) {
    if (content.size() >= 14 && content.compare(0, 4, "MThd") == 0) return content;
    if (content.size() >= 20 && content.compare(0, 4, "RIFF") == 0 && content.compare(8, 4, "RMID") == 0) {
        size_t at = 12;
        while (at + 8 <= content.size()) {
            const auto byte = [&](size_t i) { return uint32_t(uint8_t(content[at + 4 + i])); };
            const uint32_t size = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
            if (content.compare(at, 4, "data") == 0) return StandardMidiFile(content.substr(at + 8, size));
            at += 8 + size_t(size) + (size & 1);
        }
    }
    return "";
}

}  // namespace

std::string WebMusicCommand(const std::string& command) {
    using Verb = MciCommand::Verb;
    const MciCommand asked = ParseMciCommand(command);
    switch (asked.verb) {
    case Verb::Open: {
        if (pieceOpen) break;  // the alias is taken
        std::string content;
        try {
            content = StandardMidiFile(ReadAssetFile(asked.path, kMediaFileCap));
        } catch (const RunTimeError&) {
            break;
        }
        if (content.empty()) break;
        web_music_load(content.data(), static_cast<int>(content.size()));
        pieceOpen = true;
        playing = false;
        break;
    }
    case Verb::Play:
        if (!pieceOpen || web_music_at_end() != 0) break;
        web_music_play(0);
        playing = true;
        break;
    case Verb::PlayFromStart:
        if (!pieceOpen) break;
        web_music_play(1);
        playing = true;
        break;
    case Verb::Stop:
        if (!pieceOpen) break;
        web_music_stop();
        playing = false;
        break;
    case Verb::SeekToStart:
        if (!pieceOpen) break;
        web_music_stop();
        web_music_load(nullptr, 0);  // back to the start of the same piece
        playing = false;
        break;
    case Verb::StatusMode:
        if (!pieceOpen) return "";
        return playing && web_music_at_end() == 0 ? "playing" : "stopped";
    case Verb::Close:
        if (pieceOpen) web_music_close();
        pieceOpen = false;
        playing = false;
        break;
    case Verb::Ignored:
        break;
    }
    return "";
}
