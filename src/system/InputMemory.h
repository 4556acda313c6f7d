#pragma once
// What the reader did between two looks of the program: the keys pressed (a press counts even
// when the key is up again by the time the program looks) and where the pointer went, in the
// client image's pixels. Every machine notes its window's events here and answers KeyHit and
// PointerMoved from it, so the rule for what counts lives in one place.
#include "system/Platform.h"

class InputMemory {
public:
    void NotePress(Key key) { pressedSince[static_cast<int>(key)] = true; }
    void NotePointer(int x, int y);
    // A tap of a touch screen at (x, y) of the client image: neither a pointer move nor a Space.
    void NoteTap(int x, int y);

    // Platform::KeyHit: true when the key is held now or was pressed since the last look at it,
    // and the look clears that memory. Without the keyboard focus nothing counts, and a press
    // noted before is forgotten all the same.
    bool KeyHit(Key key, bool focused, bool heldNow);
    // Platform::PointerMoved, with the same rule for the focus.
    bool PointerMoved(int& x, int& y, bool focused);
    // Platform::TapHit: the last tap since the previous look, by the same rule.
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
