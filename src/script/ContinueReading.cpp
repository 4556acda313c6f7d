#include "script/ContinueReading.h"

#include <cstring>

#include "script/History.h"
#include "script/Interpreter.h"
#include "script/PictureCommand.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "sound/Bgm.h"

void ContinueFromBookmark(const Bookmark& bookmark) {
    LoadScenario(bookmark.scenario);
    std::memcpy(Flag, bookmark.flags, sizeof bookmark.flags);
    if (!bookmark.picture.empty()) {
        RunState none;
        const CommandArgument picture{U"", bookmark.picture};
        ShowPicture(none, picture);
    }
    if (!bookmark.music.empty()) {
        BgmOpen(bookmark.music);
        if (bookmark.musicPlaying) BgmPlay();
    }
    ForgetHistory();
    for (const HistoryPage& page : bookmark.backlog) RememberPage(page.data(), int(page.size()));
    ContinueScript(bookmark.line, bookmark.position);
}
