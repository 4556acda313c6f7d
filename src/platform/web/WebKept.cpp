// Where the reader's place and settings are kept in the browser: the page's localStorage, under
// keys the page makes (tessaro-page.js, keptPrefix): the settings once for the site, the bookmarks
// for each page a story is published at. A browser that keeps nothing (storage switched off, or
// full) costs the bookmark only.
#include <emscripten.h>

#include "platform/web/WebPlatform.h"
#include "system/KeptFolder.h"

// One call of the page's keeping (0 read, 1 write, 2 forget, 3 the place): its answer, a text or
// nothing, waits in the page, encoded as UTF-8; the call returns its length in bytes, or -1 for
// nothing. web_kept_answer then copies it into the program's memory.
EM_JS(int, web_kept_call, (int op, int place, const char* name, const char* text), {
    const page = Module.page;
    const key = UTF8ToString(name);
    const answer = op === 0 ? page.keptRead(place, key)
                 : op === 1 ? page.keptWrite(place, key, UTF8ToString(text))
                 : op === 2 ? page.keptForget(place, key)
                 : page.keptPlace(place);
    page.keptAnswer = answer === null || answer === undefined ? null : new TextEncoder().encode(answer);
    return page.keptAnswer === null ? -1 : page.keptAnswer.length;
});
EM_JS(void, web_kept_answer, (char* out), { HEAPU8.set(Module.page.keptAnswer, out); });

namespace {

enum Op { kRead, kWrite, kForget, kPlace };

// The page's answer: false when it had none.
bool Call(Op op, Kept place, const std::string& name, const std::string& text, std::string& answer) {
    const int length = web_kept_call(op, int(place), name.c_str(), text.c_str());
    answer.clear();
    if (length < 0) return false;
    answer.resize(size_t(length));
    if (length > 0) web_kept_answer(answer.data());
    return true;
}

}  // namespace

bool WebPlatform::ReadKept(Kept place, const std::string& name, std::string& bytes, std::string& why) {
    why.clear();
    if (!IsKeptName(name)) return false;
    if (!Call(kRead, place, name, "", bytes)) return false;
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
    std::string why;
    Call(kWrite, place, name, bytes, why);
    return why;
}

std::string WebPlatform::ForgetKept(Kept place, const std::string& name) {
    if (!name.empty() && !IsKeptName(name)) return "";
    std::string why;
    Call(kForget, place, name, "", why);
    return "";
}

std::string WebPlatform::KeptPlace(Kept place) {
    std::string where;
    Call(kPlace, place, "", "", where);
    return where;
}
