#include "author/HeadlessPlatform.h"

#include <algorithm>

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
