#pragma once
// A machine with no window and no sound device, for "tessaro paths": a clock that moves only when
// the program sleeps (so a story's whole reading time passes at once), a reader who holds Space
// (every page turns as it comes) and at a question holds the arrow key of the answer chosen for
// it, and a record of the message boxes. Files and pictures are read as the player reads them.
#include <map>
#include <string>
#include <vector>

#include "system/Platform.h"

class HeadlessPlatform : public Platform {
public:
    // The answer the reader gives at the question now asked: 1 (the first) or 2.
    int answer = 1;
    bool answerRead = false;  // the arrow keys were looked at since answer was last set
    int64_t now = 0;
    std::vector<std::string> messageBoxes;

    const std::string& Error() const override { return noError; }
    void SetScreenMode(const ScreenMode&) override {}
    int64_t Clock() override { return now; }
    std::string OpenWindow(const std::string&, int, int, const Image*) override { return ""; }
    bool PumpMessages() override { return true; }
    void SleepUntil(int64_t deadline) override;
    bool KeyHit(Key key) override;
    bool SkipHeld() override { return false; }
    bool PointerMoved(int&, int&) override { return false; }
    void ShowImage(const Image&, const ImageRect*) override {}
    bool MessageBox(const std::string& caption, const std::string& text, WhileOpen whileOpen) override;
    std::string MciSendString(const std::string&) override { return ""; }
    void SndPlaySound(const std::string&) override {}
    std::string FindFile(const std::string& windowsPath) override;
    std::string ReadFile(const std::string& windowsPath) override;
    std::unique_ptr<Image> LoadPicture(const std::string& windowsPath) override;
    std::string ProgramFolder(const char*) override { return ""; }
    // Files found and read are kept until this is called: a story that chains files back and
    // forth reads each once.
    void ForgetFiles() { found.clear(), read.clear(); }
    void SetVolume(int) override {}
    void TrimMemory() override {}

private:
    const std::string noError;  // it always starts
    std::map<std::string, std::string> found, read;  // by the path asked for
};
