#include "script/PictureCommand.h"

#include "system/AssetPath.h"
#include "system/Platform.h"
#include "window/Crt.h"

void ShowPicture(RunState&, const CommandArgument& argument) {
    Crt.Picture(*System().LoadPicture(AssetPath(kPictureFolder, argument.file)));
    Crt.Refresh();
}
