#include "window/Main.h"

int Main(int, char**) { return 0; }
