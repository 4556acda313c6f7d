#pragma once
// Our own answer to the X server's errors, in place of Xlib's, which ends the process from inside
// whatever call met the error. An error about a window that no longer exists (a request that was
// on its way when the window went) harms nothing: it is noted in the timing trace and ignored.
// Any other error, or a lost connection to the display, ends the program as our other failures
// do: the message on standard error, exit status 1.
//
// Installed before SDL opens the display: SDL keeps the handler it finds and puts it back when
// its video closes, so ours also covers the errors that surface when the connections close.
void InstallX11ErrorHandlers();
