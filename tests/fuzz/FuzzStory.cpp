#include "fuzz/FuzzStory.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "system/AssetPath.h"
#include "support/AudioMeter.h"
#include "platform/sdl/AudioOutput.h"
#include "system/Files.h"

namespace {

std::string folder;

void RemoveScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

const std::string& ScratchStory() {
    if (!folder.empty()) return folder;
    char pattern[] = "/tmp/tessaro-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder = pattern;
    std::filesystem::copy(TESSARO_SOURCE_DIR "/story", folder,
                          std::filesystem::copy_options::recursive);
    std::atexit(RemoveScratch);
    SetProgramDirectory(folder);
    return folder;
}

std::string WriteScratch(const std::string& relativePath, const std::string& bytes) {
    const std::string path = ScratchStory() + "/" + relativePath;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

void OpenDummyAudio() {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!OpenAudioWithMeter().empty()) std::abort();
    std::atexit(CloseAudio);
}
