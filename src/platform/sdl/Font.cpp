#include "platform/sdl/Font.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <map>

#include "system/Errors.h"

namespace {

constexpr int kPixelSize = 12;
constexpr const char* kFallbackPath = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// Asks fontconfig for IPA Gothic (or, failing that, any face that covers Japanese).
std::string FontconfigJapaneseFace() {
    std::string path;
    if (!FcInit()) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic:lang=ja:spacing=mono"));
    if (pattern == nullptr) return path;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcBool coversJapanese = FcFalse;
    FcLangSet* langs = nullptr;
    if (match != nullptr && FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch)
        coversJapanese = FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
    if (match != nullptr && coversJapanese && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<const char*>(file);
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

}  // namespace

TTF_Font* JapaneseFont() { return JapaneseFontOfSize(kPixelSize); }

TTF_Font* JapaneseFontOfSize(int pixelSize) {
    // Fonts stay open to the end; the table is never destroyed, so none is lost track of at exit.
    static auto& opened = *new std::map<int, TTF_Font*>;
    TTF_Font*& font = opened[pixelSize];
    if (font != nullptr) return font;
    if (!TTF_WasInit() && TTF_Init() != 0) throw RunTimeError(std::string("Cannot start the font renderer: ") + TTF_GetError());
    // The fixed path first: it is the face every pixel of the box was laid out for. Fontconfig is
    // started only when that is missing, as it costs time and keeps its memory to the end.
    font = TTF_OpenFont(kFallbackPath, pixelSize);
    if (font == nullptr) {
        const std::string path = FontconfigJapaneseFace();
        if (!path.empty()) font = TTF_OpenFont(path.c_str(), pixelSize);
    }
    if (font != nullptr) {
        TTF_SetFontHinting(font, TTF_HINTING_MONO);
        return font;
    }
    throw RunTimeError(std::string("No Japanese font found: tried ") + kFallbackPath +
                       " and fontconfig's \":lang=ja\" (install fonts-ipafont-gothic)");
}
