#pragma once
// The window's 32 x 32, 256-colour icon, drawn here: a night sky with a moon above a message box.
#include <memory>

#include "system/Image.h"

std::unique_ptr<Image> WindowIcon();
