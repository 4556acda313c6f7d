#include "platform/web/WebMusic.h"

#include <emscripten.h>

#include "system/MciCommand.h"
#include "system/MusicDevice.h"

EM_JS(void, web_music_load, (const char* bytes, int length), { Module.page.musicLoad(bytes, length); });
EM_JS(void, web_music_play, (int fromStart), { Module.page.musicPlay(fromStart); });
EM_JS(void, web_music_stop, (), { Module.page.musicStop(); });
EM_JS(void, web_music_close, (), { Module.page.musicClose(); });
// 1 once the piece has been played to its end (the page watches the player's position).
EM_JS(int, web_music_at_end, (), { return Module.page.musicAtEnd(); });

namespace {

// The page's synthesizer under the device's commands (system/MusicDevice.h).
class PagePlayer : public MusicPlayer {
public:
    void Load(const std::string& midi) override { web_music_load(midi.data(), static_cast<int>(midi.size())); }
    bool Play(bool fromStart) override {
        web_music_play(fromStart ? 1 : 0);
        return true;
    }
    void Stop() override { web_music_stop(); }
    void Rewind() override {
        web_music_stop();
        web_music_load(nullptr, 0);  // back to the start of the same piece
    }
    void Close() override { web_music_close(); }
    bool AtEnd() override { return web_music_at_end() != 0; }
};

MusicDevice device;
PagePlayer pagePlayer;

}  // namespace

std::string WebMusicCommand(const std::string& command) { return device.Send(ParseMciCommand(command), pagePlayer); }
