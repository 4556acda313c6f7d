#pragma once
// Continuing from a bookmark: the reader is put back where the bookmark says.
#include "script/Bookmark.h"

// The flags, the picture, the music and the backlog as they were when the page began, then the
// story runs from the start of that page (or that question), until it ends as RunScript does.
void ContinueFromBookmark(const Bookmark& bookmark);
