#pragma once
// What the tests look at inside the program that the program itself never asks for: the state of
// the script's run, the picture area's pixels, the music's position and the audio device's pause.
// Each is defined beside the state it shows; only the tests declare it.
#include <cstdint>

#include "script/Interpreter.h"  // CurrentRun(): the state of the current (or last) run
#include "script/Rows.h"
#include "system/Image.h"
#include "window/Crt.h"


// The picture area's client image, and one pixel of its drawable image (0xRRGGBB) with everything
// drawn so far painted in.
struct PictureAreaProbe {
    static const Image& Client(const PictureArea& area) { return *area.client; }
    static uint32_t PixelAt(PictureArea& area, int x, int y);
};
inline const Image& CrtClient() { return PictureAreaProbe::Client(Crt); }
inline uint32_t CrtPixelAt(int x, int y) { return PictureAreaProbe::PixelAt(Crt, x, y); }

// The position of the open piece in MIDI ticks, or -1 when nothing is open or there is no
// synthesizer. Before the piece first plays, and after a rewind, it is 0 (platform/sdl/MidiDevice).
int MidiCurrentTick();

// True while the audio device is open and its mixing paused (platform/sdl/AudioOutput).
bool AudioIsPaused();

// A test's run keeps no reader's place unless it asks (script/ReaderPlace), and its window shows
// no picture yet (script/PictureCommand): the state one test left is not the next one's.
void KeepNoReaderPlace();
void ForgetShownPicture();
