#pragma once
// The title a published story goes out under, when its author gives none: the story's own.
#include <string>

#include "author/StoryFolder.h"

// The name of the file in the story folder whose first line is the story's title.
constexpr const char* kTitleFileName = "Title.txt";

// The first line of the story's Title.txt (UTF-8, any letter case in its name); else the text of
// the story's first page, when it is short enough to be a title page and is not a sentence (灯台の鍵
// of a page holding only 『灯台の鍵』); else folderName.
std::string StoryTitle(const std::string& storyFolder, const CollectedStory& story, const std::string& folderName);

// The text the first page of Data00.Dat shows (its commands left out), up to its first page wait,
// question, jump or end; rows joined by a space, spaces at the ends trimmed.
std::u32string FirstPageText(const std::string& scenarioBytes);
