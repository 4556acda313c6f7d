#include "script/PictureCommand.h"

#include "script/Arguments.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/Image.h"
#include "system/TextCodec.h"
#include "window/Crt.h"

void PictureCommand(RunState& state) {
    const std::string name = "Pic" + ToUtf8(NextChars(state, 2)) + ".bmp";
    const std::string path = LocateFile(ProgramDirectory() + "\\Picture\\" + name);
    std::string why;
    const std::unique_ptr<Image> bitmap = DecodeBitmap(ReadWholeFile(path), why);
    if (bitmap == nullptr) throw InvalidPicture(path, why);
    Crt.Picture(*bitmap);
    Crt.Refresh();
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
