#pragma once
// The backlog: the text of the pages read so far, over the picture area, for the reader to read
// back. While it is open the story stands still and keys reach nothing else; closed, the window
// shows again exactly what it showed.
#include "script/Rows.h"

// Which way the backlog opens: at its end (the page before this one), or at its first page.
enum class BacklogStart { End, Top };

// Shows the pages remembered and the box's text now, and returns when the reader closes it:
// Escape, Space, a right click, or PageDown or the wheel turned down past the end. Up, Down and
// the wheel scroll a row, PageUp and PageDown a screenful, Home goes to the first page.
void ShowBacklog(const RunState& state, BacklogStart start);
