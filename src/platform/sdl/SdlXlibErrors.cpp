#include "platform/sdl/SdlXlibErrors.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "system/TraceFile.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace {

// No X requests may be made from these handlers, so the error's text is not looked up: its
// numbers are what a report needs.
void Fail(const char* what) {
    std::fprintf(stderr, "tessaro: %s\n", what);
    std::fflush(stderr);
    std::_Exit(1);  // not exit(): that would run clean-ups that speak to the broken display
}

int OnXError(Display*, XErrorEvent* error) {
    char text[160];
    // BadWindow and BadDrawable name a window that is gone: the request came too late to harm it.
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        std::snprintf(text, sizeof text, "x-error-ignored code %d request %d window 0x%lx serial %lu",
                      error->error_code, error->request_code, error->resourceid, error->serial);
        NoteInTrace(text);
        return 0;
    }
    std::snprintf(text, sizeof text,
                  "The X server reported an error: code %d, request %d.%d, resource 0x%lx, serial %lu",
                  error->error_code, error->request_code, error->minor_code, error->resourceid,
                  error->serial);
    Fail(text);
    return 0;
}

int OnXIOError(Display* display) {
    char text[200];
    std::snprintf(text, sizeof text, "The connection to the display %s was lost",
                  display != nullptr ? DisplayString(display) : "");
    Fail(text);
    return 0;
}

}  // namespace

void InstallX11ErrorHandlers() {
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
}
#else
void InstallX11ErrorHandlers() {}
#endif
