// Picture bytes through the real picture path: the file read, the header checked, decoded, and
// drawn into the picture area.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/FuzzStory.h"
#include "support/TestPlatform.h"
#include "system/Errors.h"
#include "system/Picture.h"
#include "window/Crt.h"
#include "window/MainForm.h"

namespace {
TestPlatform* platform = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform = new TestPlatform;  // lives as long as the process
    ScreenWidth = ScreenHeight = 300;
    MainForm_Load();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path =
        WriteScratch("Picture/Pic99.bmp", std::string(reinterpret_cast<const char*>(data), size));
    try {
        const std::unique_ptr<Image> bitmap = LoadPicture(path);
        Crt.Picture(*bitmap);
    } catch (const RunTimeError&) {
    }
    return 0;
}
