#include "script/PictureCommand.h"

#include "script/Arguments.h"
#include "system/Files.h"
#include "system/Picture.h"
#include "system/TextCodec.h"
#include "window/Crt.h"

void PictureCommand(RunState& state) {
    const std::string name = "Pic" + ToUtf8(NextChars(state, 2)) + ".bmp";
    const Surface bitmap = LoadPicture(ProgramDirectory() + "\\Picture\\" + name);
    Crt.Picture(bitmap.get());
    Crt.Refresh();
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
