#pragma once
// Auto mode: the page waits turn the page by themselves, after a pause that grows with the text
// on the page; questions still wait for the reader's answer. Off at the start; the reader's key
// (or a menu) turns it on and off.
#include <cstdint>

#include "script/Rows.h"

void SetAutoMode(bool on);
bool AutoMode();

// How long the page on screen stays before auto mode turns it: a second and a half, and 80 ms
// for each character on it.
int64_t AutoPageMs(const RunState& state);
