// The browser's start: the page has put the story's files under /story and calls main once the
// reader has clicked, tapped or pressed a key to start.
#include "app/Main.h"
#include "platform/web/WebPlatform.h"

int main() {
    char program[] = "tessaro";
    char story[] = "/story";
    char* argv[] = {program, story, nullptr};
    const int status = Main(2, argv);
    WebStoryEnded(status);
    return status;
}
