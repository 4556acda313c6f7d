#include "script/PictureCommand.h"

#include <SDL.h>
#include <sys/stat.h>

#include "script/Arguments.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"
#include "window/Crt.h"

void PictureCommand(RunState& state) {
    const std::string name = "Pic" + ToUtf8(NextChars(state, 2)) + ".bmp";
    const std::string path = LocateFile(ProgramDirectory() + "\\Picture\\" + name);
    struct stat info{};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) throw FileNotFound(path);
    SDL_Surface* bitmap = S_ISREG(info.st_mode) ? SDL_LoadBMP(path.c_str()) : nullptr;
    if (bitmap == nullptr)
        throw InvalidPicture(path, S_ISREG(info.st_mode) ? SDL_GetError() : "not a file");
    Crt.Picture(bitmap);
    SDL_FreeSurface(bitmap);
    Crt.Refresh();
    state.CharPos = Add16(state.CharPos, 2, "the character position");
}
