#include "publish/BundleTexts.h"

#include "publish/FontSubset.h"

std::string WindowsReadMe(const std::string& title) {
    return title + "\n"
           "\n"
           "【遊び方】\n"
           "tessaro.exe をダブルクリックすると物語が始まります。このフォルダーの中身は、\n"
           "まとめて置いたままにしてください（Data, Picture, Bgm, Wave のフォルダーが\n"
           "tessaro.exe の隣にある必要があります）。\n"
           "\n"
           "  Space / Enter / 左クリック   ▲ が点滅しているときにページを進める、選択肢を決める\n"
           "  ↑ / ↓ / マウスホイール       選択肢の ⇒ を動かす\n"
           "  Ctrl（押している間）          早送り\n"
           "  PageUp / Home / ホイール上    これまでのページを読み返す（Esc / 右クリックで戻る）\n"
           "  M                            音楽の消音の切り替え\n"
           "  F11 / Alt+Enter              全画面表示の切り替え\n"
           "  ウィンドウを閉じる            終了\n"
           "\n"
           "How to play\n"
           "Double-click tessaro.exe and the story begins. Keep this folder together: the\n"
           "Data, Picture, Bgm and Wave folders must stay beside tessaro.exe.\n"
           "\n"
           "  Space, Enter, left click   turn the page when the triangle blinks; choose an answer\n"
           "  Up, Down, mouse wheel      move the arrow between the answers\n"
           "  Ctrl (held)                skip ahead\n"
           "  PageUp, Home, wheel up     read the pages so far again (Escape or right click to go back)\n"
           "  M                          music muted and back\n"
           "  F11, Alt+Enter             fullscreen on and off\n"
           "  closing the window         ends the story\n"
           "\n"
           "This story plays in Tessaro, a player for Japanese sound novels (MIT licence).\n"
           "The licences of what this folder holds are in licenses/ (licenses/NOTICES.txt).\n"
           "物語の著作権は作者にあります。Tessaro とその部品の使用許諾は licenses/ にあります。\n";
}

std::string WindowsNotices() {
    return "What this folder holds, and under which licences\n"
           "\n"
           "tessaro.exe\n"
           "  Tessaro, the player: MIT licence, licenses/Tessaro.txt.\n"
           "  It is linked with the MinGW-w64 runtime and GCC's C++ and support libraries\n"
           "  (libstdc++, libgcc, winpthreads), built by Debian's mingw-w64 and gcc-mingw-w64:\n"
           "  - the MinGW-w64 runtime and winpthreads: their notices, licenses/MinGW-w64.txt\n"
           "    (Zope Public License 2.1, MIT-style and public-domain parts);\n"
           "  - libstdc++ and libgcc: GPL 3 with the GCC Runtime Library Exception 3.1, which lets\n"
           "    programs built with them go out under their own terms: licenses/GCC-runtime.txt.\n"
           "  Sources: https://sources.debian.org/src/mingw-w64/ and\n"
           "  https://sources.debian.org/src/gcc-mingw-w64/ (Debian 12).\n"
           "\n"
           "Data/, Picture/, Bgm/, Wave/\n"
           "  The story: its author's work, under its author's terms.\n";
}

std::string WebNotices(const std::string& soundFontFile) {
    std::string text =
        "What this site holds, and under which licences\n"
        "\n"
        "index.html, tessaro.css, tessaro-page.js, tessaro.js, tessaro.wasm, sw.js, app.webmanifest,\n"
        "icon.svg, icon-192.png, icon-512.png\n"
        "  Tessaro, the player, built for the browser: MIT licence, licenses/Tessaro.txt.\n"
        "  tessaro.wasm holds FreeType (portions of this software are copyright The FreeType\n"
        "  Project, www.freetype.org; used under the FreeType License, licenses/FreeType.txt) and\n"
        "  Emscripten's C and C++ runtime (MIT and University of Illinois/NCSA licences; musl\n"
        "  libc MIT; LLVM libc++ Apache 2.0 with LLVM exception): licenses/Emscripten.txt (Debian's\n"
        "  account of Emscripten's licences, with their texts) and licenses/musl.txt.\n"
        "\n"
        "js-synthesizer.min.js, js-synthesizer.worklet.min.js\n"
        "  js-synthesizer by jet2jet: BSD 3-Clause licence, licenses/js-synthesizer.txt.\n"
        "  Source: https://github.com/jet2jet/js-synthesizer (the npm package js-synthesizer).\n"
        "\n"
        "libfluidsynth.js\n"
        "  FluidSynth 2.3, compiled to WebAssembly (as js-synthesizer ships it): GNU LGPL 2.1,\n"
        "  licenses/LGPL-2.1.txt. It is a file of its own, loaded by\n"
        "  the page by name: to use another build of FluidSynth, put it in its place under the\n"
        "  same name (js-synthesizer's externals/libfluidsynth-*.js show the form it takes).\n"
        "  Source: https://github.com/FluidSynth/fluidsynth (version 2.3.0) and\n"
        "  https://github.com/jet2jet/js-synthesizer (externals/).\n"
        "\n";
    text += std::string(kCutDownFontFile) +
            "\n"
            "  " + kCutDownFontFamily +
            ": IPA Gothic (IPAGothic, version 003.03) cut down to the characters this story\n"
            "  shows. It is a Derived Program of IPA Gothic under the IPA Font License Agreement\n"
            "  v1.0 (licenses/IPA-Font-License.txt), and so bears a name of its own. To put the\n"
            "  original in its place: take ipag.ttf from https://moji.or.jp/ipafont/ (or Debian's\n"
            "  fonts-ipafont-gothic), name it " + kCutDownFontFile +
            " here, and write its size in bytes as\n"
            "  the font's \"size\" in manifest.json. The font was cut with HarfBuzz's subsetter\n"
            "  (hb-subset); no other file was made in cutting it.\n"
            "\n";
    if (!soundFontFile.empty())
        text += soundFontFile +
                "\n"
                "  TimGM6mb, a General MIDI soundfont by Tim Brechbill: GNU GPL 2, licenses/GPL-2.txt\n"
                "  and licenses/TimGM6mb.txt. It is cut down to the presets, instruments and samples\n"
                "  this story's music plays, each kept as it was (tessaro publish made no other\n"
                "  change). A soundfont file is its own source (the form in which it is edited); the\n"
                "  whole one is at https://sources.debian.org/src/timgm6mb-soundfont/\n"
                "  and in MuseScore's history, https://github.com/musescore/musescore-old.\n"
                "\n";
    text += "story/, manifest.json\n"
            "  The story: its author's work, under its author's terms.\n";
    return text;
}
