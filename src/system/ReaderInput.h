#pragma once
// The reader's input, decided once for every machine. A machine only translates its own events
// into the words below (its key codes through one table: SDL scancodes, VK_ codes, the browser's
// event.code) and tells them to a ReaderInput in the order they came. Everything about what they
// mean is decided here, the same on every machine: which key with which modifiers does what,
// repeats, the click that brings the window back into focus, the wheel, the fullscreen and mute
// keys, and what is remembered between two looks of the program (Platform::KeyHit, SkipHeld and
// PointerMoved answer from it).
//
// A new key is a word in ReaderKey, a row in each machine's table, and a row in KeyDown's rules.
// Touch comes in as a tap at a point (Tap: not a click, for what a tap does is the interpreter's
// rule, script/Waits) and a vertical drag (the wheel).

// The keys the program asks for (Platform::KeyHit). Space, Up and Down count while held too; the others (the
// reader's own: the backlog, mute) only when pressed.
//   Space      Space, Enter or keypad Enter (not with Alt), a left click, a tap
//   Up, Down   the arrow keys, and the wheel turned up or down
//   WheelUp, WheelDown   the wheel alone (it moves the arrow of a question, and opens and closes
//              the backlog)
//   RightClick the right button; Mute the M key alone
//   VolumeDown, VolumeUp   "-" and "+" (the key right of 0 and the one after it, or the keypad's)
//   Slower, Faster         "[" and "]" (the two keys right of P): the text speed
//   Auto       the A key alone: auto mode on and off
enum class Key {
    Space, Up, Down, PageUp, PageDown, Home, Escape, RightClick, WheelUp, Mute, WheelDown,
    VolumeDown, VolumeUp, Slower, Faster, Auto
};
constexpr int kKeyCount = 16;
constexpr int kHeldKeyCount = 3;  // Space, Up, Down

// What the reader pressed, as every machine names it. The page (tessaro-page.js) and the
// InputRequest answers it gets are numbered as they stand here: add at the end.
enum class ReaderKey {
    Space, Enter, KeypadEnter, Up, Down, PageUp, PageDown, Home, Escape, M, F11, Ctrl,
    Minus, Plus, KeypadMinus, KeypadPlus, BracketLeft, BracketRight, A
};
constexpr int kReaderKeyCount = 19;

// The modifiers held with a key, or-ed together.
enum KeyModifier : unsigned { kModCtrl = 1, kModAlt = 2, kModSuper = 4 };

enum class PointerButton { Left, Right };

// A point of the client image, in its own pixels.
struct ImagePoint {
    int x = 0, y = 0;
};

// What the machine is asked to do about an event, besides what is noted for the program.
enum class InputRequest { None, ToggleFullscreen, CloseMessageBox };

// Presses since the program last looked at each key, and where the pointer went. A press counts
// even when the key is up again by the time the program looks; nothing counts without the focus.
class InputMemory {
public:
    void NotePress(Key key) { pressedSince[static_cast<int>(key)] = true; }
    void NotePointer(int x, int y);

    // True when the key is held now or was pressed since the last look at it, and the look clears
    // that memory. Without the keyboard focus nothing counts, and a press noted before is
    // forgotten all the same. Only Space, Up and Down count while held.
    bool KeyHit(Key key, bool focused, bool heldNow);
    // Where the pointer went since the last look, with the same rule for the focus.
    bool PointerMoved(int& x, int& y, bool focused);
    // A tap of a touch screen at (x, y): neither a pointer move nor a Space. TapHit: the last tap
    // since the previous look, by the same rule for the focus.
    void NoteTap(int x, int y);
    bool TapHit(int& x, int& y, bool focused);

    // What was pressed so far is not the story's (the focus went elsewhere, a box was dismissed).
    void ForgetKeys();
    void ForgetPointer() { pointerMoved = false; }

private:
    bool pressedSince[kKeyCount] = {};
    bool pointerMoved = false;
    int pointerX = 0, pointerY = 0;
    bool tapped = false;
    int tapX = 0, tapY = 0;
};

class ReaderInput {
public:
    // What the machine tells, in the order the reader did it: a press that brings the window into
    // focus is told before the focus it brings.
    InputRequest KeyDown(ReaderKey key, unsigned modifiers, bool repeat);
    void KeyUp(ReaderKey key);
    void PointerAt(ImagePoint at);
    // at is null when the click fell outside the image.
    void Click(PointerButton button, const ImagePoint* at);
    // Notches turned: more than 0 away from the reader (up), less than 0 towards.
    void Wheel(int turned);
    void Tap(ImagePoint at);
    void Focus(bool gained);

    // What a key does while a message box is open (nothing of it reaches the story).
    static InputRequest KeyInMessageBox(ReaderKey key, unsigned modifiers, bool repeat);
    // Whether a key pressed with Alt is also the system's to act on (Alt+F4, Alt+Space, a menu's
    // letter): all are but Alt+Enter, which is ours. A machine whose system takes keys with Alt
    // asks this; known is false for a key that is no ReaderKey.
    static bool AltKeyIsTheSystems(bool known, ReaderKey key);

    // The program's looks.
    bool KeyHit(Key key);
    bool SkipHeld() const { return focused && held[int(ReaderKey::Ctrl)]; }
    bool PointerMoved(int& x, int& y) { return memory.PointerMoved(x, y, focused); }
    bool TapHit(int& x, int& y) { return memory.TapHit(x, y, focused); }
    bool Focused() const { return focused; }

    // What was pressed or held before a message box was dismissed is not the story's; keys still
    // down count again from their next press or repeat.
    void Forget();

private:
    InputMemory memory;
    bool held[kReaderKeyCount] = {};
    bool focused = false;  // until the machine tells of the focus
};
