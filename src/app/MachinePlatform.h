#pragma once
// The real machine this program is built for.
#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
using MachinePlatform = Win32Platform;
#elif defined(__EMSCRIPTEN__)
#include "platform/web/WebPlatform.h"
using MachinePlatform = WebPlatform;
#else
#include "platform/sdl/SdlPlatform.h"
using MachinePlatform = SdlPlatform;
#endif
