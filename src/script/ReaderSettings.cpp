#include "script/ReaderSettings.h"

#include <vector>

#include "script/Bookmark.h"
#include "script/ReaderPlace.h"

namespace {

constexpr const char* kHeader = "Tessaro settings 1";
constexpr const char* kName = "settings";

bool keeping = false;
ReaderSettings kept;

const char* SpeedName(TextSpeed speed) {
    switch (speed) {
    case TextSpeed::Slow: return "slow";
    case TextSpeed::Normal: return "normal";
    case TextSpeed::Fast: return "fast";
    case TextSpeed::Instant: return "instant";
    }
    return "normal";
}

bool ReadSmall(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

void Keep() {
    if (!keeping) return;
    const std::string why = System().WriteKept(Kept::Settings, kName, FormatReaderSettings(kept));
    if (!why.empty()) NoteKept("cannot keep the settings: " + why);
}

}  // namespace

std::string FormatReaderSettings(const ReaderSettings& settings) {
    std::string text = std::string(kHeader) + "\n";
    text += "volume " + std::to_string(settings.volume) + "\n";
    text += std::string("mute ") + (settings.muted ? "on" : "off") + "\n";
    text += std::string("text-speed ") + SpeedName(settings.textSpeed) + "\n";
    text += "scale " + (settings.screen.autoScale ? std::string("auto") : std::to_string(settings.screen.scale)) + "\n";
    text += std::string("fullscreen ") + (settings.screen.fullscreen ? "on" : "off") + "\n";
    return WithChecksum(text);
}

std::string ParseReaderSettings(const std::string& bytes, ReaderSettings& settings) {
    std::vector<std::string> lines;
    if (std::string wrong = CheckedLines(bytes, kHeader, lines); !wrong.empty()) return wrong;
    ReaderSettings read;
    if (lines.size() != 5) return "not as written";
    const auto value = [&](size_t i, const char* name) -> std::string {
        const std::string prefix = std::string(name) + " ";
        return lines[i].rfind(prefix, 0) == 0 ? lines[i].substr(prefix.size()) : std::string("\n");
    };
    const std::string mute = value(1, "mute"), fullscreen = value(4, "fullscreen"), scale = value(3, "scale");
    const std::optional<TextSpeed> speed = TextSpeedNamed(value(2, "text-speed"));
    if (!ReadSmall(value(0, "volume"), 0, 100, read.volume) || (mute != "on" && mute != "off") || !speed ||
        (fullscreen != "on" && fullscreen != "off"))
        return "not as written";
    read.muted = mute == "on";
    read.textSpeed = *speed;
    read.screen.fullscreen = fullscreen == "on";
    read.screen.autoScale = scale == "auto";
    if (!read.screen.autoScale && !ReadSmall(scale, 1, kLargestScale, read.screen.scale)) return "not as written";
    settings = read;
    return "";
}

ReaderSettings ReadReaderSettings() {
    keeping = true;
    kept = ReaderSettings{};
    std::string bytes, why;
    if (System().ReadKept(Kept::Settings, kName, bytes, why)) {
        why = ParseReaderSettings(bytes, kept);
        if (!why.empty()) why = System().KeptPlace(Kept::Settings) + " " + kName + " is " + why;
    }
    if (!why.empty()) NoteKept("the settings are ignored: " + why);
    return kept;
}

void RememberVolume(int volume) {
    kept.volume = volume;
    kept.muted = false;
    Keep();
}

void RememberMute(bool muted) {
    kept.muted = muted;
    Keep();
}

void RememberTextSpeed(TextSpeed speed) {
    kept.textSpeed = speed;
    Keep();
}

void RememberFullscreen(bool fullscreen) {
    kept.screen.fullscreen = fullscreen;
    Keep();
}
