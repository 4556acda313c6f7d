// Where the reader's place and settings are kept on Linux, as the XDG base directories say:
// bookmarks under $XDG_STATE_HOME/tessaro (~/.local/state/tessaro), settings under
// $XDG_CONFIG_HOME/tessaro (~/.config/tessaro). A variable that is not an absolute path is
// ignored, as the XDG base directory rules ask.
#include <cstdlib>

#include "platform/sdl/SdlPlatform.h"

namespace {

std::string Absolute(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? value : "";
}

std::string Folder(Kept place) {
    const bool state = place == Kept::Bookmarks;
    std::string base = Absolute(state ? "XDG_STATE_HOME" : "XDG_CONFIG_HOME");
    if (base.empty()) {
        const std::string home = Absolute("HOME");
        if (home.empty()) return "";
        base = home + (state ? "/.local/state" : "/.config");
    }
    return base + "/tessaro";
}

}  // namespace

std::string SdlPlatform::KeptPlace(Kept place) { return Folder(place); }
