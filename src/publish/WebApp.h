#pragma once
// What makes a published web site a home-screen app that reads offline: its app manifest (the
// story's title, the icons, shown fullscreen) and its service worker (sw.js), stamped with a
// version of the site's content so that a browser that kept an older publish takes the new one.
#include <string>

#include "publish/StoryFolder.h"

// The app manifest of a story titled so; title is given as a JSON string, quotes and all.
std::string WebAppManifest(const std::string& jsonTitle);

// A version for the offline copy: the same for the same story, title and runtime, another when any
// of them changes (the runtime's sw.js carries its own build's).
std::string WebSiteVersion(const CollectedStory& story, const std::string& title, const std::string& runtimeWorker);

// The runtime's sw.js with that version in its VERSION line; throws std::runtime_error when it has
// none.
std::string VersionedServiceWorker(const std::string& worker, const std::string& version);
