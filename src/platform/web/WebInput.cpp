#include "platform/web/WebInput.h"

#include <emscripten.h>

#include "system/InputMemory.h"

namespace {

InputMemory input;
bool held[kHeldKeyCount] = {};
bool skipHeld = false;
bool focused = true;

}  // namespace

// Called by the page, between the program's looks (it sleeps in the browser's event loop then).
extern "C" {

EMSCRIPTEN_KEEPALIVE void WebNotePress(int key) {
    if (key >= 0 && key < kKeyCount) input.NotePress(static_cast<Key>(key));
}

EMSCRIPTEN_KEEPALIVE void WebNotePointer(int x, int y) { input.NotePointer(x, y); }

EMSCRIPTEN_KEEPALIVE void WebNoteTap(int x, int y) { input.NoteTap(x, y); }

// Space, Up or Down down or up now; key -1 is the skip key (Ctrl).
EMSCRIPTEN_KEEPALIVE void WebNoteHeld(int key, int down) {
    if (key == -1) skipHeld = down != 0;
    else if (key >= 0 && key < kHeldKeyCount) held[key] = down != 0;
}

// The page lost or won the keyboard: nothing held or pressed before counts afterwards.
EMSCRIPTEN_KEEPALIVE void WebNoteFocus(int hasFocus) {
    focused = hasFocus != 0;
    if (focused) return;
    skipHeld = false;
    WebForgetInput();
}

}  // extern "C"

bool WebKeyHit(Key key) {
    const int k = static_cast<int>(key);
    return input.KeyHit(key, focused, k < kHeldKeyCount && held[k]);
}

bool WebSkipHeld() { return focused && skipHeld; }

bool WebPointerMoved(int& x, int& y) { return input.PointerMoved(x, y, focused); }

bool WebTapHit(int& x, int& y) { return input.TapHit(x, y, focused); }

void WebForgetInput() {
    for (bool& down : held) down = false;
    input.ForgetKeys();
    input.ForgetPointer();
}
