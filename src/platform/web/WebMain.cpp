// The browser's start: the page has put the story's files under /story and calls main once the
// reader has clicked, tapped or pressed a key to start.
#include <emscripten.h>

#include "window/Main.h"

EM_JS(void, web_story_ended, (int status), { Module.page.storyEnded(status); });

int main() {
    char program[] = "tessaro";
    char story[] = "/story";
    char* argv[] = {program, story, nullptr};
    const int status = Main(2, argv);
    web_story_ended(status);
    return status;
}
