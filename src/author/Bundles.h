#pragma once
// The two downloads "tessaro publish" makes of a story, each a zip archive written into a file:
// the web bundle (a static site, index.html at its root) and the Windows bundle (tessaro.exe with
// the story's folders beside it, in a folder of the story's name).
#include <string>

#include "author/StoryFolder.h"

struct BundleSources {
    std::string name;           // the Windows bundle's folder: the story folder's name, as Windows can hold it
    std::string title;          // the page's title and start prompt, the read-me's heading
    std::string runtime;        // holds web/, windows/ and notices/
    std::string fontPath;       // the Japanese face the page cuts down
    std::string soundFontPath;  // sent only when the story has music
};

struct WebBundle {
    size_t fontBytes = 0, cutFontBytes = 0;  // for the report
};

class PartialFile;

// Both write the zip into out and throw std::runtime_error naming the runtime's or the story's
// file that cannot be read or used.
WebBundle MakeWebBundle(const CollectedStory& story, const BundleSources& sources, PartialFile& out);
void MakeWindowsBundle(const CollectedStory& story, const BundleSources& sources, PartialFile& out);

// The list of files the web page fetches before the story starts: every story file with its
// size, the font and, when the story has music, the soundfont.
std::string WebManifest(const CollectedStory& story, const std::string& fontFile, size_t fontSize,
                        const std::string& soundFontFile, size_t soundFontSize);

// The runtime's index.html with the story's title in <title> and above the start prompt; throws
// when the page has not the places for them.
std::string TitledPage(const std::string& page, const std::string& title);
