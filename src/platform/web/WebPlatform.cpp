#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/canvas/MonoText.h"
#include "platform/web/WebBox.h"
#include "platform/web/WebInput.h"
#include "platform/web/WebMusic.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/StoryFiles.h"
#include "system/MciCommand.h"
#include "system/Picture.h"

// The page's side of each call is in web/tessaro-page.js, as Module.page.
EM_JS(void, web_open_window, (int width, int height), { Module.page.openWindow(width, height); });
EM_JS(void, web_show, (const uint8_t* rgba, int width, int height, int x, int y, int w, int h),
      { Module.page.show(rgba, width, height, x, y, w, h); });
EM_JS(void, web_story_ended, (int status), { Module.page.storyEnded(status); });
EM_JS(void, web_play_effect, (const char* bytes, int length), { Module.page.playEffect(bytes, length); });
EM_JS(void, web_set_volume, (int percent), { Module.page.setVolume(percent); });
// 1 while the page still fetches the story's file (it fetches what the first page needs before the
// program starts, and the rest in the background).
EM_JS(int, web_file_coming, (const char* path), { return Module.page.fileComing(UTF8ToString(path)); });
EM_JS(void, web_announce, (const char* text), { Module.page.announce(UTF8ToString(text)); });
// Sleeps in the browser's event loop until the time is up or the page has news (a key, a click,
// a resize); the program's stack waits in Asyncify's keeping meanwhile.
EM_JS(void, web_sleep, (double ms), {
    Asyncify.handleSleep(function(wakeUp) { Module.page.sleep(ms, wakeUp); });
});

namespace {

// How long the story waits for a file still on its way: a picture, before the error that names it;
// music or an effect, before it is left silent.
constexpr int64_t kPictureWaitMs = 30000;
constexpr int64_t kMediaWaitMs = 5000;

// The client image in the canvas's byte order (red, green, blue, opaque), kept between frames so
// a change copies only its rectangle.
std::vector<uint8_t> rgba;

}  // namespace

WebPlatform::WebPlatform() {
    start = emscripten_get_now();
    // The page put the face beside the story before it started the program.
    error = OpenMonoFace("/ipag.ttf");
}

// Empty: the page only starts the program once it can run.
const std::string& WebPlatform::Error() const { return error; }

// The page scales the canvas itself, to the browser window.
void WebPlatform::SetScreenMode(const ScreenMode&) {}

// The page's fullscreen is the browser's, not kept by the program.
bool WebPlatform::Fullscreen() const { return false; }

int64_t WebPlatform::Clock() { return static_cast<int64_t>(emscripten_get_now() - start); }

std::string WebPlatform::OpenWindow(const std::string&, int clientWidth, int clientHeight, const Image*) {
    web_open_window(clientWidth, clientHeight);
    return "";
}

bool WebPlatform::PumpMessages() {
    // Events are gathered by the page as they come; the program takes them when it asks.
    return true;
}

void WebPlatform::SleepUntil(int64_t deadline) {
    const int64_t now = Clock();
    if (deadline <= now) return;
    // To the very moment the millisecond clock reaches the deadline, not a whole number of
    // milliseconds from now: the browser's timers are late enough by themselves, and the rhythm
    // of the text would stumble.
    deadline = std::min<int64_t>(deadline, now + (int64_t(1) << 30));
    web_sleep(start + static_cast<double>(deadline) - emscripten_get_now());
}

bool WebPlatform::KeyHit(Key key) { return WebKeyHit(key); }

bool WebPlatform::SkipHeld() { return WebSkipHeld(); }

bool WebPlatform::PointerMoved(int& x, int& y) { return WebPointerMoved(x, y); }

bool WebPlatform::TapHit(int& x, int& y) { return WebTapHit(x, y); }

void WebPlatform::ShowImage(const Image& image, const ImageRect* changed) {
    const int w = image.Width(), h = image.Height();
    const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
    ImageRect r{0, 0, w, h};
    if (rgba.size() != size) rgba.assign(size, 255);
    else if (changed != nullptr) r = *changed;
    r.w = std::min(r.w, w - r.x);
    r.h = std::min(r.h, h - r.y);
    if (r.w <= 0 || r.h <= 0) return;
    for (int y = r.y; y < r.y + r.h; ++y) {
        const uint32_t* in = image.Row(y);
        uint8_t* out = rgba.data() + (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(r.x)) * 4;
        for (int x = r.x; x < r.x + r.w; ++x, out += 4) {
            const uint32_t p = in[x];
            out[0] = static_cast<uint8_t>(p >> 16);
            out[1] = static_cast<uint8_t>(p >> 8);
            out[2] = static_cast<uint8_t>(p);
            out[3] = 255;
        }
    }
    web_show(rgba.data(), w, h, r.x, r.y, r.w, r.h);
}

bool WebPlatform::MessageBox(const std::string&, const std::string& text, WhileOpen whileOpen) {
    web_announce(text.c_str());
    RunWebMessageBox(text, whileOpen, [this](int64_t deadline) { SleepUntil(deadline); },
                     [this] { return Clock(); });
    WebForgetInput();
    return true;
}

std::string WebPlatform::MciSendString(const std::string& command) {
    const MciCommand asked = ParseMciCommand(command);
    if (asked.verb == MciCommand::Verb::Open) AwaitStoryFile(asked.path, kMediaWaitMs);
    return WebMusicCommand(command);
}

void WebPlatform::AwaitStoryFile(const std::string& windowsPath, int64_t boundMs) {
    const int64_t deadline = Clock() + boundMs;
    // Each file that arrives wakes the sleep; keys pressed meanwhile stay noted for the story.
    while (web_file_coming(windowsPath.c_str()) != 0 && Clock() < deadline) SleepUntil(deadline);
}

void WebPlatform::Announce(const std::string& text) { web_announce(text.c_str()); }

void WebPlatform::SndPlaySound(const std::string& path) {
    AwaitStoryFile(path, kMediaWaitMs);
    try {
        // Effects are wave files, as on every machine; the browser would decode other kinds too.
        const std::string bytes = ReadAssetFile(path, StoryFolderOf(StoryFolder::Wave).cap);
        if (IsWaveFile(bytes)) web_play_effect(bytes.data(), static_cast<int>(bytes.size()));
    } catch (const RunTimeError&) {
        // A missing or unreadable effect is silent.
    }
}

std::unique_ptr<Image> WebPlatform::LoadPicture(const std::string& windowsPath) {
    AwaitStoryFile(windowsPath, kPictureWaitMs);
    return Platform::LoadPicture(windowsPath);
}

// The gain of the page's sound, music and effects together.
void WebPlatform::SetVolume(int percent) { web_set_volume(std::clamp(percent, 0, 100)); }

std::string WebPlatform::ProgramFolder(const char*) { return "/story"; }

void WebStoryEnded(int status) { web_story_ended(status); }
