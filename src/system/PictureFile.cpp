#include "system/PictureFile.h"

#include <sys/stat.h>

#include "system/Errors.h"
#include "system/Files.h"

std::unique_ptr<Image> LoadPictureFile(const std::string& windowsPath) {
    const std::string path = LocateFile(windowsPath);
    struct stat info{};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) throw FileNotFound(path);
    if (!S_ISREG(info.st_mode)) throw InvalidPicture(path, "not a file");
    std::string why;
    std::unique_ptr<Image> picture = DecodeBitmap(ReadWholeFile(path), why);
    if (picture == nullptr) throw InvalidPicture(path, why);
    return picture;
}
