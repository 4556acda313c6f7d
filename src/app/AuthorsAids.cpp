#include "app/AuthorsAids.h"

#include <cstdio>
#include <set>

#include "sound/Bgm.h"
#include "script/Scenario.h"
#include "script/StartPoint.h"
#include "system/Errors.h"
#include "author/Paths.h"
#include "author/StaleSources.h"
#include "window/Crt.h"
#include "window/MainForm.h"

void ShowSceneAt(const std::string& text, const StartPoint& start, const std::vector<std::pair<int, int16_t>>& flags) {
    const SceneAtLine scene = ReadToLine(start.scenario, start.line, flags);
    RestartTimers();  // the read ran them on its own clock
    if (!scene.reached)
        std::fprintf(stderr, "tessaro: --start %s: %s; it starts there with what was set on the way\n",
                     PrintableName(text).c_str(), scene.why.c_str());
    if (!scene.music.empty()) {
        BgmOpen(scene.music);
        if (scene.musicPlaying) BgmPlay();
    }
    Crt.Refresh();
}

void PlaySourcesAsTheyAre() {
    static std::set<std::string> said;
    std::vector<std::string> problems;
    SetConvertedScenarios(ConvertSourcesNow(problems));
    for (const std::string& problem : problems)
        if (said.insert(problem).second) std::fprintf(stderr, "tessaro: %s\n", problem.c_str());
}

void UseAuthorsAids() {
    TheAuthorsAids.showSceneAt = ShowSceneAt;
    TheAuthorsAids.playSourcesAsTheyAre = PlaySourcesAsTheyAre;
}
