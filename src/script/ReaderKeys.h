#pragma once
// The reader's own keys, besides those the story asks for: the backlog (PageUp, Home, the wheel
// turned up outside a question) and mute (M). They work at every moment of the run, in every
// wait, because every wait pumps messages.
#include "script/Rows.h"

// From now on the reader's keys act on this run.
void ListenToReaderKeys(const RunState& state);

// The reader's own actions, from their keys (or, in the browser, a menu): each shows a short note
// of the new value, and the volume and the text speed are kept in the settings.
constexpr int kVolumeStep = 10;
void ChangeVolume(int step);
void ChangeTextSpeed(bool faster);
void ToggleAutoMode();
