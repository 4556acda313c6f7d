#include "system/ReaderInput.h"

void InputMemory::NotePointer(int x, int y) {
    pointerX = x;
    pointerY = y;
    pointerMoved = true;
}

bool InputMemory::KeyHit(Key key, bool focused, bool heldNow) {
    const int k = static_cast<int>(key);
    const bool hit = focused && ((k < kHeldKeyCount && heldNow) || pressedSince[k]);
    pressedSince[k] = false;
    return hit;
}

namespace {

// Takes a point noted since the last look: told only while focused, forgotten either way.
bool TakePoint(bool& noted, bool focused, int notedX, int notedY, int& x, int& y) {
    const bool taken = noted && focused;
    noted = false;
    if (taken) {
        x = notedX;
        y = notedY;
    }
    return taken;
}

}  // namespace

bool InputMemory::PointerMoved(int& x, int& y, bool focused) {
    return TakePoint(pointerMoved, focused, pointerX, pointerY, x, y);
}

void InputMemory::ForgetKeys() {
    for (bool& pressed : pressedSince) pressed = false;
    tapped = false;
}

void InputMemory::NoteTap(int x, int y) {
    tapX = x;
    tapY = y;
    tapped = true;
}

bool InputMemory::TapHit(int& x, int& y, bool focused) { return TakePoint(tapped, focused, tapX, tapY, x, y); }

namespace {

bool IsEnter(ReaderKey key) { return key == ReaderKey::Enter || key == ReaderKey::KeypadEnter; }

// The program's key a reader's key stands for when pressed alone, or Space for none.
struct KeyRow {
    ReaderKey key;
    Key means;
};
constexpr KeyRow kKeyRows[] = {
    {ReaderKey::Space, Key::Space},       {ReaderKey::Enter, Key::Space},   {ReaderKey::KeypadEnter, Key::Space},
    {ReaderKey::Up, Key::Up},             {ReaderKey::Down, Key::Down},     {ReaderKey::PageUp, Key::PageUp},
    {ReaderKey::PageDown, Key::PageDown}, {ReaderKey::Home, Key::Home},     {ReaderKey::Escape, Key::Escape},
    {ReaderKey::M, Key::Mute},
    {ReaderKey::Minus, Key::VolumeDown},  {ReaderKey::KeypadMinus, Key::VolumeDown},
    {ReaderKey::Plus, Key::VolumeUp},     {ReaderKey::KeypadPlus, Key::VolumeUp},
    {ReaderKey::BracketLeft, Key::Slower}, {ReaderKey::BracketRight, Key::Faster},
    {ReaderKey::A, Key::Auto},
};

// The reader's own keys that are letters or signs: with Ctrl, Alt or Super they are another
// program's (or the desktop's) keys. Held down, the switches (mute, auto) are one change, not one
// for every repeat; the volume and the speed go on stepping.
bool IsOwnKey(ReaderKey key) { return key == ReaderKey::M || key >= ReaderKey::Minus; }
bool IsSwitch(ReaderKey key) { return key == ReaderKey::M || key == ReaderKey::A; }

// Held down, only the keys themselves count: an Enter still down after Alt+Enter has switched
// fullscreen must not turn a page. In the order of Key.
constexpr ReaderKey kHeldKeys[kHeldKeyCount] = {ReaderKey::Space, ReaderKey::Up, ReaderKey::Down};

}  // namespace

InputRequest ReaderInput::KeyDown(ReaderKey key, unsigned modifiers, bool repeat) {
    held[int(key)] = true;
    // F11 and Alt+Enter switch fullscreen, once for a key held down.
    if (key == ReaderKey::F11 || (IsEnter(key) && (modifiers & kModAlt) != 0)) {
        if (repeat) return InputRequest::None;
        memory.ForgetPointer();  // the image moves under it
        return InputRequest::ToggleFullscreen;
    }
    // Mute held down is one change, not one for every repeat; with Ctrl, Alt or Super, M is
    // another program's (or the desktop's) key. So are the other letters and signs.
    if (IsOwnKey(key) && ((repeat && IsSwitch(key)) || (modifiers & (kModCtrl | kModAlt | kModSuper)) != 0))
        return InputRequest::None;
    for (const KeyRow& row : kKeyRows)
        if (row.key == key) memory.NotePress(row.means);
    return InputRequest::None;
}

bool ReaderInput::AltKeyIsTheSystems(bool known, ReaderKey key) { return !(known && IsEnter(key)); }

void ReaderInput::KeyUp(ReaderKey key) { held[int(key)] = false; }

void ReaderInput::PointerAt(ImagePoint at) { memory.NotePointer(at.x, at.y); }

void ReaderInput::Click(PointerButton button, const ImagePoint* at) {
    if (button == PointerButton::Left && at != nullptr) PointerAt(*at);
    // The click that brings the window into focus is only that: it turns no page and closes
    // nothing.
    if (!focused) return;
    memory.NotePress(button == PointerButton::Left ? Key::Space : Key::RightClick);
}

// What a tap does is the interpreter's: noted with its point, as it is.
void ReaderInput::Tap(ImagePoint at) { memory.NoteTap(at.x, at.y); }

void ReaderInput::Wheel(int turned) {
    if (turned > 0) {
        memory.NotePress(Key::Up);
        memory.NotePress(Key::WheelUp);
    }
    if (turned < 0) {
        memory.NotePress(Key::Down);
        memory.NotePress(Key::WheelDown);
    }
}

void ReaderInput::Focus(bool gained) {
    focused = gained;
    // Nothing held or pressed before the focus went counts afterwards.
    if (!gained) Forget();
}

InputRequest ReaderInput::KeyInMessageBox(ReaderKey key, unsigned modifiers, bool repeat) {
    if (key == ReaderKey::F11 || (IsEnter(key) && (modifiers & kModAlt) != 0))
        return repeat ? InputRequest::None : InputRequest::ToggleFullscreen;
    if (key == ReaderKey::Space || key == ReaderKey::Escape || IsEnter(key)) return InputRequest::CloseMessageBox;
    return InputRequest::None;
}

bool ReaderInput::KeyHit(Key key) {
    const int k = static_cast<int>(key);
    return memory.KeyHit(key, focused, k < kHeldKeyCount && held[int(kHeldKeys[k])]);
}

void ReaderInput::Forget() {
    for (bool& down : held) down = false;
    memory.ForgetKeys();
    memory.ForgetPointer();
}
