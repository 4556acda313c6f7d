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

// The reader's menu: the text speed it shows (TextSpeed's order: 0 slow, 1 normal, 2 fast,
// 3 instant), and the one chosen there, as the [ and ] keys choose one: from the next character
// on, and kept for the next visit. Kept and exported to the page as Emscripten keeps a function it
// is told to (EMSCRIPTEN_KEEPALIVE is this attribute).
static_assert(int(TextSpeed::Slow) == 0 && int(TextSpeed::Instant) == 3, "the menu numbers the speeds so");

extern "C" __attribute__((used)) int WebTextSpeed() { return int(CurrentTextSpeed()); }

extern "C" __attribute__((used)) void WebSetTextSpeed(int speed) {
    if (speed < int(TextSpeed::Slow) || speed > int(TextSpeed::Instant)) return;
    SetTextSpeed(TextSpeed(speed));
    RememberTextSpeed(TextSpeed(speed));
}
