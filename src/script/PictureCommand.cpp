#include "script/PictureCommand.h"

#include "system/AssetPath.h"
#include "system/Platform.h"
#include "window/Crt.h"

namespace {
std::string shown;
}

const std::string& ShownPicture() { return shown; }

// For the tests (tests/support/Probes.h): a new window shows no picture yet.
void ForgetShownPicture() { shown.clear(); }

void ShowPicture(RunState&, const CommandArgument& argument) {
    Crt.Picture(*System().LoadPicture(AssetPath(kPictureFolder, argument.file)));
    shown = argument.file;
    Crt.Refresh();
}
