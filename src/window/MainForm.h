#pragma once
// The one window: its layout at load time, its timers, and what closing it does.
#include <cstdint>

// The window's caption; message boxes have their own (kMessageBoxCaption).
constexpr const char* kWindowCaption = "Velmarin";

extern int ScreenWidth;
extern int ScreenHeight;

// Lays out the picture area, names the window and opens it centred; starts the window's timers.
void MainForm_Load();

// The user closed the window: the music is closed and the program ends at once.
[[noreturn]] void MainForm_Unload();

// Runs the handler of every timer whose time has come (only while messages are pumped).
void RunDueTimers();

// Starts every timer's beat again from now: after a run on another platform's clock (--start's
// read to its line), their times are that clock's.
void RestartTimers();

// When the next timer is due, on the platform clock.
int64_t NextTimerDue();

// RunDueTimers, then NextTimerDue: what a message box runs while it is open.
int64_t RunTimersWhileBoxOpen();
