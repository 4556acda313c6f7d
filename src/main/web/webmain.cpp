// The browser's start: the page has put the story's files under /story and calls main once the
// reader has clicked, tapped or pressed a key to start.
#include "app/Main.h"
#include "platform/web/WebPlatform.h"
#include "script/TextSpeed.h"

int main() {
    char program[] = "tessaro";
    char story[] = "/story";
    char* argv[] = {program, story, nullptr};
    const int status = Main(2, argv);
    WebStoryEnded(status);
    return status;
}

// The reader's menu chose a text speed (0 slow, 1 normal, 2 fast, 3 instant), as --text-speed
// chooses one at the start on the desktop: from the next character on.
// Kept and exported to the page as Emscripten keeps a function it is told to (EMSCRIPTEN_KEEPALIVE
// is this attribute).
extern "C" __attribute__((used)) void WebSetTextSpeed(int speed) {
    constexpr TextSpeed kSpeeds[] = {TextSpeed::Slow, TextSpeed::Normal, TextSpeed::Fast, TextSpeed::Instant};
    if (speed >= 0 && speed < 4) SetTextSpeed(kSpeeds[speed]);
}
