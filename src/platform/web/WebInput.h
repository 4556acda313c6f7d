#pragma once
// The reader's keys and pointer on the page: the page's event handlers (web/tessaro-page.js) note
// presses, pointer moves, taps, the keys held and the focus here through the functions this file
// exports to it; the program answers KeyHit, SkipHeld and PointerMoved from them by the one rule
// of system/InputMemory, as the desktop machines do.
#include "system/Platform.h"

bool WebKeyHit(Key key);
bool WebSkipHeld();
bool WebPointerMoved(int& x, int& y);
bool WebTapHit(int& x, int& y);
// What was pressed or held before a message box was dismissed is not the story's.
void WebForgetInput();
