#include "system/InputMemory.h"

void InputMemory::NotePointer(int x, int y) {
    pointerX = x;
    pointerY = y;
    pointerMoved = true;
}

void InputMemory::NoteTap(int x, int y) {
    tapX = x;
    tapY = y;
    tapped = true;
}

bool InputMemory::TapHit(int& x, int& y, bool focused) {
    const bool hit = tapped && focused;
    tapped = false;
    if (hit) {
        x = tapX;
        y = tapY;
    }
    return hit;
}

bool InputMemory::KeyHit(Key key, bool focused, bool heldNow) {
    const int k = static_cast<int>(key);
    // Only Space, Up and Down count while held; the reader's own keys only when pressed.
    const bool hit = focused && ((k < kHeldKeyCount && heldNow) || pressedSince[k]);
    pressedSince[k] = false;
    return hit;
}

bool InputMemory::PointerMoved(int& x, int& y, bool focused) {
    const bool moved = pointerMoved && focused;
    pointerMoved = false;
    if (moved) {
        x = pointerX;
        y = pointerY;
    }
    return moved;
}

void InputMemory::ForgetKeys() {
    for (bool& pressed : pressedSince) pressed = false;
    tapped = false;
}
