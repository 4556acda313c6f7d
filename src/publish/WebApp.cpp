#include "publish/WebApp.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

constexpr const char* kVersionLine = "const VERSION = ";

uint64_t Fnv1a(uint64_t hash, const std::string& bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    // The length too, so that the same bytes cut into other pieces give another sum.
    hash ^= bytes.size();
    return hash * 0x100000001b3ULL;
}

}  // namespace

std::string WebAppManifest(const std::string& jsonTitle) {
    return "{\n"
           " \"name\": " + jsonTitle + ",\n"
           " \"short_name\": " + jsonTitle + ",\n"
           " \"start_url\": \"./\",\n"
           " \"scope\": \"./\",\n"
           " \"display\": \"fullscreen\",\n"
           " \"background_color\": \"#000000\",\n"
           " \"theme_color\": \"#000028\",\n"
           " \"icons\": [\n"
           "  {\"src\": \"icon-192.png\", \"sizes\": \"192x192\", \"type\": \"image/png\"},\n"
           "  {\"src\": \"icon-512.png\", \"sizes\": \"512x512\", \"type\": \"image/png\"},\n"
           "  {\"src\": \"icon.svg\", \"sizes\": \"any\", \"type\": \"image/svg+xml\"}\n"
           " ]\n"
           "}\n";
}

std::string WebSiteVersion(const CollectedStory& story, const std::string& title, const std::string& runtimeWorker) {
    uint64_t hash = Fnv1a(Fnv1a(0xcbf29ce484222325ULL, runtimeWorker), title);
    // Each file read a piece at a time, as the zip reads it.
    for (const StoryFile& file : story.files) {
        hash = Fnv1a(hash, file.path);
        std::ifstream in(file.source, std::ios::binary);
        if (!in) throw std::runtime_error(file.source + ": cannot be read");
        std::string piece(size_t(1) << 16, '\0');
        while (in.read(piece.data(), std::streamsize(piece.size())) || in.gcount() > 0)
            hash = Fnv1a(hash, piece.substr(0, size_t(in.gcount())));
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string VersionedServiceWorker(const std::string& worker, const std::string& version) {
    const size_t line = worker.find(std::string("\n") + kVersionLine);
    if (line == std::string::npos) throw std::runtime_error("the web runtime's sw.js has no VERSION line");
    const size_t end = worker.find('\n', line + 1);
    return worker.substr(0, line + 1) + kVersionLine + "\"" + version + "\";" +
           (end == std::string::npos ? "\n" : worker.substr(end));
}
