#include "system/PictureFile.h"

#include <SDL.h>
#include <sys/stat.h>

#include "system/Errors.h"
#include "system/Files.h"

std::shared_ptr<SDL_Surface> LoadPictureFile(const std::string& windowsPath) {
    const std::string path = LocateFile(windowsPath);
    struct stat info{};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) throw FileNotFound(path);
    SDL_Surface* bitmap = S_ISREG(info.st_mode) ? SDL_LoadBMP(path.c_str()) : nullptr;
    if (bitmap == nullptr)
        throw InvalidPicture(path, S_ISREG(info.st_mode) ? SDL_GetError() : "not a file");
    return std::shared_ptr<SDL_Surface>(bitmap, SDL_FreeSurface);
}
