#include "script/PictureCommand.h"

#include "script/Arguments.h"
#include "system/AssetPath.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "window/Crt.h"

void ShowPicture(RunState& state) {
    const std::string name = "Pic" + ToUtf8(NextChars(state, 2)) + ".bmp";
    Crt.Picture(*System().LoadPicture(AssetPath("Picture", name)));
    Crt.Refresh();
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
