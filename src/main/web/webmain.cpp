// The browser's start: the page has put the story's files under /story and calls main once the
// reader has clicked, tapped or pressed a key to start.
#include "app/Main.h"
#include "platform/web/WebPlatform.h"
#include "script/ReaderSettings.h"
#include "script/TextSpeed.h"

int main() {
    char program[] = "tessaro";
    char story[] = "/story";
    char* argv[] = {program, story, nullptr};
    const int status = Main(2, argv);
    WebStoryEnded(status);
    return status;
}

// The reader's menu: the text speed it shows (0 slow, 1 normal, 2 fast, 3 instant), and the one
// chosen there, as the [ and ] keys choose one: from the next character on, and kept for the next
// visit. Kept and exported to the page as Emscripten keeps a function it is told to
// (EMSCRIPTEN_KEEPALIVE is this attribute).
namespace {
constexpr TextSpeed kMenuSpeeds[] = {TextSpeed::Slow, TextSpeed::Normal, TextSpeed::Fast, TextSpeed::Instant};
}

extern "C" __attribute__((used)) int WebTextSpeed() {
    for (int i = 0; i < 4; ++i)
        if (kMenuSpeeds[i] == CurrentTextSpeed()) return i;
    return -1;
}

extern "C" __attribute__((used)) void WebSetTextSpeed(int speed) {
    if (speed < 0 || speed >= 4) return;
    SetTextSpeed(kMenuSpeeds[speed]);
    RememberTextSpeed(kMenuSpeeds[speed]);
}
