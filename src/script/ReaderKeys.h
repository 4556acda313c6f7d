#pragma once
// The reader's own keys, besides those the story asks for: the backlog (PageUp, Home, the wheel
// turned up outside a question) and mute (M). They work at every moment of the run, in every
// wait, because every wait pumps messages.
#include "script/Rows.h"

// From now on the reader's keys act on this run.
void ListenToReaderKeys(const RunState& state);
