#include "support/TestPlatform.h"

#include <SDL.h>

#include <algorithm>

#include "support/AudioMeter.h"
#include "platform/sdl/AudioOutput.h"
#include "system/Files.h"
#include "platform/sdl/MidiDevice.h"
#include "platform/sdl/SdlOutputVolume.h"
#include "system/Picture.h"
#include "platform/sdl/WaveDevice.h"

TestPlatform::TestPlatform() { SetSystem(this); }

TestPlatform::~TestPlatform() {
    SetOutputVolume(100);  // the next test starts at full volume, as the program does
    SetSystem(nullptr);
}

void TestPlatform::PressKey(int64_t at, Key key, int64_t holdFor) {
    events.push_back({at, key, true});
    events.push_back({at + holdFor, key, false});
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.at < b.at; });
}

void TestPlatform::CloseWindowAt(int64_t at) { closeAt = at; }

void TestPlatform::HoldSkip(int64_t from, int64_t until) { skipHeld.emplace_back(from, until); }

void TestPlatform::Tap(int64_t at, int x, int y) {
    pointerEvents.push_back({at, x, y, true});
    std::stable_sort(pointerEvents.begin(), pointerEvents.end(),
                     [](const PointerEvent& a, const PointerEvent& b) { return a.at < b.at; });
}

void TestPlatform::MovePointer(int64_t at, int x, int y) {
    pointerEvents.push_back({at, x, y});
    std::stable_sort(pointerEvents.begin(), pointerEvents.end(),
                     [](const PointerEvent& a, const PointerEvent& b) { return a.at < b.at; });
}

void TestPlatform::AnswerMci(const std::string& command, const std::string& answer) {
    mciAnswers[command] = answer;
}

void TestPlatform::UseRealAudio() {
    OpenAudioWithMeter();
    realAudio = true;
    audioFramesAtZero = int64_t(AudioFramesMixed()) - now * kAudioRate / 1000;
}

std::string TestPlatform::OpenWindow(const std::string& caption, int clientWidth,
                                     int clientHeight, const Image*) {
    windowCaption = caption;
    windowWidth = clientWidth;
    windowHeight = clientHeight;
    return "";
}

void TestPlatform::ApplyEventsUpTo(int64_t time) {
    while (!events.empty() && events.front().at <= time) {
        const KeyEvent e = events.front();
        events.erase(events.begin());
        const int k = static_cast<int>(e.key);
        if (e.down && !down[k]) input.NotePress(e.key);
        down[k] = e.down;
    }
    while (!pointerEvents.empty() && pointerEvents.front().at <= time) {
        const PointerEvent& e = pointerEvents.front();
        if (e.tap) input.NoteTap(e.x, e.y);
        else input.NotePointer(e.x, e.y);
        pointerEvents.erase(pointerEvents.begin());
    }
}

int64_t TestPlatform::NextEventAfter(int64_t time) const {
    int64_t next = INT64_MAX;
    if (!events.empty()) next = std::max(events.front().at, time);
    if (closeAt >= 0 && !closeSeen) next = std::min(next, std::max(closeAt, time));
    if (!pointerEvents.empty()) next = std::min(next, std::max(pointerEvents.front().at, time));
    // Pressing and letting go of the skip key wake the sleeper too.
    for (const auto& [from, until] : skipHeld) {
        if (from >= time) next = std::min(next, from);
        if (until >= time) next = std::min(next, until);
    }
    return next;
}

bool TestPlatform::PumpMessages() {
    ++pumps;
    for (auto& [at, shot] : shots)
        if (at <= now && shot.empty()) shot = screen;
    ApplyEventsUpTo(now);
    if (closeAt >= 0 && now >= closeAt) {
        closeSeen = true;
        return false;
    }
    return true;
}

void TestPlatform::SleepUntil(int64_t deadline) {
    ++sleeps;
    // An event wakes the sleeper early, as a real window event would.
    const int64_t wake = std::max(now, std::min(deadline, NextEventAfter(now + 1)));
    if (realAudio) {
        // The device mixes on its own thread. Held up on a loaded machine, the test finds it more
        // than a block ahead of the clock, with sound mixed before whatever the test did last;
        // the clock is put back in step then, so that a wait always ends with its own length of
        // sound mixed after it began (less one block), as the probes of recent sound expect.
        const int64_t mixed = int64_t(AudioFramesMixed());
        if (mixed > audioFramesAtZero + now * kAudioRate / 1000 + kAheadFrames)
            audioFramesAtZero = mixed - now * kAudioRate / 1000;
        const int64_t frames = audioFramesAtZero + wake * kAudioRate / 1000;
        // A device that has stalled is given up on after a while rather than waited on forever;
        // a loaded machine's (the synthesizer rendering under the sanitizers) is waited for.
        const uint64_t giveUp = SDL_GetTicks64() + 20000 + uint64_t(wake - now) * 4;
        while (int64_t(AudioFramesMixed()) < frames && SDL_GetTicks64() < giveUp) SDL_Delay(2);
    }
    now = wake;
}

bool TestPlatform::KeyHit(Key key) {
    return input.KeyHit(key, true, down[static_cast<int>(key)]);
}

bool TestPlatform::SkipHeld() {
    for (const auto& [from, until] : skipHeld)
        if (now >= from && now < until) return true;
    return false;
}

bool TestPlatform::PointerMoved(int& x, int& y) {
    return input.PointerMoved(x, y, true);
}

bool TestPlatform::TapHit(int& x, int& y) { return input.TapHit(x, y, true); }

void TestPlatform::ShowImage(const Image& clientImage, const ImageRect* changed) {
    ++imagesShown;
    if (screen.size() != size_t(clientImage.Width()) * size_t(clientImage.Height())) {
        screenWidth = clientImage.Width();
        screen.assign(size_t(clientImage.Width()) * size_t(clientImage.Height()), 0x123456);  // nothing of ours yet
    }
    const ImageRect part = changed != nullptr ? *changed : ImageRect{0, 0, clientImage.Width(), clientImage.Height()};
    for (int y = part.y; y < part.y + part.h; ++y)
        std::copy_n(clientImage.Row(y) + part.x, part.w, screen.begin() + ptrdiff_t(y) * screenWidth + part.x);
}

uint32_t TestPlatform::ScreenAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= screenWidth || size_t(y) * size_t(screenWidth) + size_t(x) >= screen.size()) return 0x123456;
    return screen[size_t(y) * size_t(screenWidth) + size_t(x)] & 0xFFFFFF;
}

bool TestPlatform::MessageBox(const std::string& caption, const std::string& text,
                              WhileOpen whileOpen) {
    messageBoxes.push_back(caption + "|" + text);
    const int64_t closed = now + messageBoxOpenFor;
    for (;;) {
        const int64_t due = whileOpen != nullptr ? whileOpen() : closed;
        if (now >= closed) break;
        now = std::clamp(due, now + 1, closed);
    }
    return !mainWindowClosedDuringBox;
}

std::string TestPlatform::MciSendString(const std::string& command) {
    mciCommands.push_back(command);
    if (realAudio) return MidiSendCommand(command);
    auto answer = mciAnswers.find(command);
    return answer == mciAnswers.end() ? "" : answer->second;
}

void TestPlatform::SndPlaySound(const std::string& path) {
    soundsPlayed.push_back(path);
    if (realAudio) PlayWaveFile(path);
}

std::string TestPlatform::FindFile(const std::string& windowsPath) { return LocateFile(windowsPath); }

std::string TestPlatform::ReadFile(const std::string& windowsPath) { return ReadAssetFile(windowsPath, kScenarioFileCap); }

std::unique_ptr<Image> TestPlatform::LoadPicture(const std::string& windowsPath) {
    return ::LoadPicture(windowsPath);
}

std::string TestPlatform::ProgramFolder(const char*) { return "."; }

std::string TestPlatform::KeptPlace(Kept place) { return keptFolders[int(place)]; }

void TestPlatform::TrimMemory() {}

void TestPlatform::SetVolume(int percent) {
    volumesSet.push_back(percent);
    SetOutputVolume(percent);
}
