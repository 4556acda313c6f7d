#include "platform/web/WebInput.h"

#include <emscripten.h>

#include "system/ReaderInput.h"

namespace {

ReaderInput input;

bool IsReaderKey(int key) { return key >= 0 && key < kReaderKeyCount; }

}  // namespace

// Called by the page as its events come, between the program's looks (it sleeps in the browser's
// event loop then). Keys are ReaderKey's numbers, modifiers KeyModifier's bits; the answers are
// InputRequest's numbers, for the page to do.
extern "C" {

EMSCRIPTEN_KEEPALIVE int WebKeyDown(int key, int modifiers, int repeat) {
    if (!IsReaderKey(key)) return 0;
    return static_cast<int>(input.KeyDown(static_cast<ReaderKey>(key), unsigned(modifiers), repeat != 0));
}

EMSCRIPTEN_KEEPALIVE int WebKeyInBox(int key, int modifiers, int repeat) {
    if (!IsReaderKey(key)) return 0;
    return static_cast<int>(ReaderInput::KeyInMessageBox(static_cast<ReaderKey>(key), unsigned(modifiers), repeat != 0));
}

EMSCRIPTEN_KEEPALIVE void WebKeyUp(int key) {
    if (IsReaderKey(key)) input.KeyUp(static_cast<ReaderKey>(key));
}

EMSCRIPTEN_KEEPALIVE void WebPointerAt(int x, int y) { input.PointerAt(ImagePoint{x, y}); }

// button 0 is the left (or a tap), 1 the right; onImage 0 when it fell outside the image.
EMSCRIPTEN_KEEPALIVE void WebClick(int button, int onImage, int x, int y) {
    const ImagePoint at{x, y};
    input.Click(button == 0 ? PointerButton::Left : PointerButton::Right, onImage != 0 ? &at : nullptr);
}

// A touch screen's tap at (x, y) of the image: not a click (ReaderInput::Tap).
EMSCRIPTEN_KEEPALIVE void WebTap(int x, int y) { input.Tap(ImagePoint{x, y}); }

EMSCRIPTEN_KEEPALIVE void WebWheel(int turned) { input.Wheel(turned); }

EMSCRIPTEN_KEEPALIVE void WebFocus(int gained) { input.Focus(gained != 0); }

}  // extern "C"

bool WebKeyHit(Key key) { return input.KeyHit(key); }

bool WebSkipHeld() { return input.SkipHeld(); }

bool WebPointerMoved(int& x, int& y) { return input.PointerMoved(x, y); }

bool WebTapHit(int& x, int& y) { return input.TapHit(x, y); }

void WebForgetInput() { input.Forget(); }
