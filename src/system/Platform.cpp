#include "system/Platform.h"

#include <cassert>

#include "system/Files.h"
#include "system/Picture.h"
#include "system/TraceFile.h"

namespace {
Platform* current = nullptr;
}

Platform& System() {
    assert(current != nullptr);
    return *current;
}

void SetSystem(Platform* platform) { current = platform; }

void Platform::Trace(const char* event) { NoteInTrace(event); }

std::string Platform::FindFile(const std::string& windowsPath) { return LocateFile(windowsPath); }

std::string Platform::ReadFile(const std::string& windowsPath) { return ReadAssetFile(windowsPath, kScenarioFileCap); }

std::unique_ptr<Image> Platform::LoadPicture(const std::string& windowsPath) { return ::LoadPicture(windowsPath); }

void Platform::Announce(const std::string&) {}

bool Platform::TapHit(int&, int&) { return false; }

