#pragma once
// Bitmap files, read into images the picture area can draw.
#include <memory>
#include <string>

#include "system/Image.h"

// The picture in a Windows-style path. Throws FileNotFound when there is no such file and
// InvalidPicture when it is not a readable bitmap, both naming the real path.
std::unique_ptr<Image> LoadPictureFile(const std::string& windowsPath);
