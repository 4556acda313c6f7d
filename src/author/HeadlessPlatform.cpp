#include "author/HeadlessPlatform.h"

#include <algorithm>

#include "system/Files.h"
#include "system/Picture.h"

void HeadlessPlatform::SleepUntil(int64_t deadline) { now = std::max(now, deadline); }

bool HeadlessPlatform::KeyHit(Key key) {
    switch (key) {
    case Key::Space: return true;
    case Key::Up: answerRead = true; return answer == 1;
    case Key::Down: answerRead = true; return answer == 2;
    default: return false;  // the reader's own keys (the backlog, mute) are never pressed here
    }
}

bool HeadlessPlatform::MessageBox(const std::string& caption, const std::string& text, WhileOpen) {
    messageBoxes.push_back(caption + "|" + text);
    return true;
}

// As the player's own machine finds and reads them, so that a missing or broken file fails here
// with the same error.
std::string HeadlessPlatform::FindFile(const std::string& windowsPath) {
    const auto known = found.find(windowsPath);
    if (known != found.end()) return known->second;
    return found[windowsPath] = LocateFile(windowsPath);
}

std::string HeadlessPlatform::ReadFile(const std::string& windowsPath) {
    const auto known = read.find(windowsPath);
    if (known != read.end()) return known->second;
    return read[windowsPath] = ReadAssetFile(windowsPath, kScenarioFileCap);  // a failure is not kept
}

std::unique_ptr<Image> HeadlessPlatform::LoadPicture(const std::string& windowsPath) {
    return ::LoadPicture(windowsPath);
}
