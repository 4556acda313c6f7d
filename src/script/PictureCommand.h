#pragma once
// "L" + 2 characters: shows picture "Pic" + the characters + ".bmp" from the Picture folder.
#include "script/Rows.h"

constexpr const char* kPictureFolder = "Picture";

// Makes the bitmap the background of the picture area, at its top-left corner and unscaled, and
// shows it at once. A missing file stops the program with FileNotFound, a file that is not a
// readable bitmap with InvalidPicture.
void ShowPicture(RunState& state, const CommandArgument& argument);

// The file of the picture shown last ("Pic01.bmp"), empty before the first: what a bookmark keeps.
const std::string& ShownPicture();
