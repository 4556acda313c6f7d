#pragma once
// The reader's place, kept as the story is read: at every page wait and every question the
// bookmark of the page on screen is written to the machine's place for bookmarks (one file for
// each story, named by its identity), and at the story's end or its game-over box it is removed.
// On the next start the player offers to continue from it (app/Main). Only the player keeps a
// place: the authors' runs (--start, --watch, paths) and the tests that do not ask keep none.
#include <cstdint>
#include <string>

#include "script/Bookmark.h"
#include "script/Rows.h"

// The story's identity: a hash of its scenario files (Data00.Dat and every file a "D" in them
// may chain to), so that two stories never share a bookmark, whatever their folders are called,
// and a story changed since keeps none.
uint64_t StoryIdentity();

// From now on this run keeps the place of story; folder names the story's folder, so that a
// bookmark left by an earlier version of the story there can be found and removed.
void KeepReaderPlace(uint64_t story, const std::string& folder);

// The interpreter: the box is empty and a page begins at the character about to be run.
void NotePageBegins(const RunState& state);
// A question on an empty box, state still at its "Q": the question is a page of its own, which
// begins at the "Q".
void NoteQuestionBegins(const RunState& state);
// The page wait, or the question, on screen: the page's place is kept.
void KeepPlaceAtPage();
// The story has reached its end, or its game-over box: its place is forgotten.
void StoryFinished();

// The story's bookmark, when there is one the player can continue from: the scenario file and
// the picture are there, the line lies inside the file. A bookmark that is unreadable, damaged,
// from another version or of an earlier version of the story is ignored (and removed where it
// cannot serve again), with one line on standard error saying so. Loads the bookmark's scenario.
bool FindBookmark(uint64_t story, const std::string& folder, Bookmark& bookmark);

// Removes the story's bookmark (the reader chose to start again, or asked to forget it).
void ForgetBookmark(uint64_t story);

// The name of a story's bookmark in the place for bookmarks.
std::string BookmarkName(uint64_t story);

// One line on standard error: something kept for the reader could not be read or written.
void NoteKept(const std::string& text);
