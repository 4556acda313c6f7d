#pragma once
// The reader's settings, kept between sittings for every story alike: the volume, mute, the text
// speed and how the window is shown. They change with the reader's keys while reading and are
// written at once; what the command line gives wins for that run only and is not kept.
#include "script/TextSpeed.h"
#include "system/Platform.h"

struct ReaderSettings {
    int volume = 100;  // 0 to 100
    bool muted = false;
    TextSpeed textSpeed = TextSpeed::Normal;
    ScreenMode screen;
};

// The settings kept, or the defaults when there are none; a settings file that is damaged, cut
// short or from another version is ignored with one line on standard error. From now on the
// reader's changes are kept.
ReaderSettings ReadReaderSettings();

// The settings as their file holds them, and back: "" or what is wrong with the file.
std::string FormatReaderSettings(const ReaderSettings& settings);
std::string ParseReaderSettings(const std::string& bytes, ReaderSettings& settings);

// The reader changed one with a key: it is kept (once ReadReaderSettings has run).
void RememberVolume(int volume);
void RememberMute(bool muted);
void RememberTextSpeed(TextSpeed speed);
void RememberFullscreen(bool fullscreen);
