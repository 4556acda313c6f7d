// Where the reader's place and settings are kept in the browser: the page's localStorage, under
// keys the page makes (tessaro-page.js, keptKey): the settings once for the site, the bookmarks
// for each page a story is published at. A browser that keeps nothing (storage switched off, or
// full) costs the bookmark only.
#include <emscripten.h>

#include <cstdlib>

#include "platform/web/WebPlatform.h"
#include "system/KeptFolder.h"

// Each returns a string malloc'd on the program's heap, or 0: the kept text, or why not.
EM_JS(char*, web_kept_read, (int place, const char* name, int* found), {
    const text = Module.page.keptRead(place, UTF8ToString(name));
    HEAP32[found >> 2] = text === null ? 0 : 1;
    return text === null ? 0 : stringToNewUTF8(text);
});
EM_JS(char*, web_kept_write, (int place, const char* name, const char* text), {
    const why = Module.page.keptWrite(place, UTF8ToString(name), UTF8ToString(text));
    return why ? stringToNewUTF8(why) : 0;
});
EM_JS(void, web_kept_forget, (int place, const char* name), { Module.page.keptForget(place, UTF8ToString(name)); });
EM_JS(char*, web_kept_place, (int place), { return stringToNewUTF8(Module.page.keptPlace(place)); });

namespace {

std::string Take(char* text) {
    if (text == nullptr) return "";
    std::string taken(text);
    std::free(text);
    return taken;
}

}  // namespace

bool WebPlatform::ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why) {
    why.clear();
    if (!IsKeptName(name)) return false;
    int found = 0;
    bytes = Take(web_kept_read(int(place), name.c_str(), &found));
    if (found == 0) return false;
    if (bytes.size() > kKeptFileCap) {
        why = "more than " + std::to_string(kKeptFileCap) + " bytes";
        return false;
    }
    return true;
}

std::string WebPlatform::WriteKept(Kept place, const std::string& name, const std::string& bytes) {
    if (!IsKeptName(name)) return "not a name to keep: " + name;
    // localStorage holds text: what is kept is text, and a NUL would cut it short.
    if (bytes.find('\0') != std::string::npos) return "not text";
    return Take(web_kept_write(int(place), name.c_str(), bytes.c_str()));
}

std::string WebPlatform::ForgetKept(Kept place, const std::string& name) {
    if (!name.empty() && !IsKeptName(name)) return "";
    web_kept_forget(int(place), name.c_str());
    return "";
}

std::string WebPlatform::KeptPlace(Kept place) { return Take(web_kept_place(int(place))); }
