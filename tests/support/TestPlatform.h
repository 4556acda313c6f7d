#pragma once
// A machine for tests: a virtual clock that moves only when the program sleeps, keys pressed and
// released at scripted times, a close request at a scripted time, and a record of every message
// box, music command and sound effect. Nothing is shown; the drawing is real all the same.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/ReaderInput.h"
#include "system/Platform.h"

class TestPlatform : public Platform {
public:
    TestPlatform();
    ~TestPlatform() override;

    // Scripting, before or during a run.
    void PressKey(int64_t at, Key key, int64_t holdFor = 1);  // down at `at`, up after holdFor ms
    void CloseWindowAt(int64_t at);
    void HoldSkip(int64_t from, int64_t until);  // the skip key is down from `from` until `until`
    void MovePointer(int64_t at, int x, int y);   // to (x, y) of the client image
    void Tap(int64_t at, int x, int y);           // a touch screen's tap at (x, y) of the client image
    void AnswerMci(const std::string& command, const std::string& answer);  // canned answers
    // From now on music and sound effects go to the real audio devices (and are still recorded),
    // and the clock moves with the sound: a sleep lasts until the device has mixed that much more
    // output, so the script's pace and what is heard keep in step.
    void UseRealAudio();

    // What happened.
    std::vector<std::string> mciCommands;
    std::vector<std::string> soundsPlayed;
    std::vector<std::string> messageBoxes;  // "caption|text"
    std::vector<int> volumesSet;
    int pumps = 0;
    int imagesShown = 0;
    // What the window shows: each image shown updates only its changed rectangle of it.
    uint32_t ScreenAt(int x, int y) const;  // 0xRRGGBB, in client coordinates
    // Asks for a copy of the screen as it stands at the first pump at or after `at`, before that
    // pump's keys are seen; the copy is then in shots[at] (rows of screenWidth pixels).
    void ShootScreenAt(int64_t at) { shots[at]; }
    std::map<int64_t, std::vector<uint32_t>> shots;
    int screenWidth = 0;
    int sleeps = 0;
    std::string windowCaption;
    int windowWidth = 0, windowHeight = 0;

    // Platform
    const std::string& Error() const override { return startError; }
    void SetScreenMode(const ScreenMode& mode) override { screenMode = mode; }
    bool Fullscreen() const override { return screenMode.fullscreen; }
    int64_t Clock() override { return now; }
    std::string OpenWindow(const std::string& caption, int clientWidth, int clientHeight,
                           const Image* icon) override;
    bool PumpMessages() override;
    void SleepUntil(int64_t deadline) override;
    bool KeyHit(Key key) override;
    bool SkipHeld() override;
    bool PointerMoved(int& x, int& y) override;
    bool TapHit(int& x, int& y) override;
    void ShowImage(const Image& clientImage, const ImageRect* changed = nullptr) override;
    bool MessageBox(const std::string& caption, const std::string& text,
                    WhileOpen whileOpen = nullptr) override;
    std::string MciSendString(const std::string& command) override;
    void SndPlaySound(const std::string& path) override;
    // The story's files are real ones, in the test's folder.
    std::string FindFile(const std::string& windowsPath) override;
    std::string ReadFile(const std::string& windowsPath) override;
    std::unique_ptr<Image> LoadPicture(const std::string& windowsPath) override;
    std::string ProgramFolder(const char* argv0) override;
    void SetVolume(int percent) override;  // recorded, and applied to the real devices
    std::string KeptPlace(Kept place) override;
    void TrimMemory() override;

    int64_t now = 0;
    std::string startError;  // what Error() says
    ScreenMode screenMode;   // as SetScreenMode gave it
    int64_t messageBoxOpenFor = 0;  // how long the user takes to dismiss a message box
    bool mainWindowClosedDuringBox = false;  // the user closes the window instead
    // Where the kept files go: real folders the test names (Platform::Kept's order); empty, the
    // machine keeps nothing, as one without a home folder.
    std::string keptFolders[2];

private:
    struct KeyEvent {
        int64_t at;
        Key key;
        bool down;
    };
    void ApplyEventsUpTo(int64_t time);
    int64_t NextEventAfter(int64_t time) const;

    struct PointerEvent {
        int64_t at;
        int x, y;
        bool tap = false;
    };

    std::vector<KeyEvent> events;  // kept sorted by time
    std::vector<std::pair<int64_t, int64_t>> skipHeld;  // [from, until)
    std::vector<PointerEvent> pointerEvents;            // kept sorted by time
    int64_t closeAt = -1;
    bool closeSeen = false;
    bool down[kKeyCount] = {};
    InputMemory input;  // as the real machines note and read keys and the pointer
    std::map<std::string, std::string> mciAnswers;
    bool realAudio = false;
    int64_t audioFramesAtZero = 0;  // frames the device had mixed when the clock stood at 0
    static constexpr int64_t kAheadFrames = 1024;  // one of the device's blocks
    std::vector<uint32_t> screen;  // made at the first image shown
};
