#pragma once
// Our message box in the page: drawn as on Linux (the same layout, face, colours and button),
// shown modal over the canvas, and dismissed the same ways: Enter, Space or Escape, or a click
// (a press and a release both on OK).
#include <cstdint>
#include <functional>
#include <string>

#include "system/Platform.h"

void RunWebMessageBox(const std::string& text, Platform::WhileOpen whileOpen,
                      const std::function<void(int64_t)>& sleepUntil, const std::function<int64_t()>& clock);
