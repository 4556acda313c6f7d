#pragma once
// The reader's keys and pointer on the page: the page's event handlers (web/tessaro-page.js) tell
// its keys (through its table of event.code), clicks, taps, the wheel and the focus to the machine's
// ReaderInput through the functions this file exports to it, which decides what they mean as on
// the desktop; the program answers KeyHit, SkipHeld and PointerMoved from it.
#include "system/Platform.h"

bool WebKeyHit(Key key);
bool WebSkipHeld();
bool WebPointerMoved(int& x, int& y);
bool WebTapHit(int& x, int& y);
// What was pressed or held before a message box was dismissed is not the story's.
void WebForgetInput();
