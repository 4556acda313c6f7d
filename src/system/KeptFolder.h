#pragma once
// The reader's kept files (system/Platform.h's Kept) on a machine with folders: each place is one
// folder, made open to the user alone when first written to. The machine says where each is.
#include <string>

#include "system/Platform.h"

// True for a name a kept file may have: letters, digits, "-" and ".", not starting with ".".
bool IsKeptName(const std::string& name);

// Platform::ReadKept, WriteKept and ForgetKept on the folder; an empty folder keeps nothing.
// separator joins the folder and the name ("/" or "\").
bool ReadKeptIn(const std::string& folder, char separator, const std::string& name, std::string& bytes,
                std::string& why);
std::string WriteKeptIn(const std::string& folder, char separator, const std::string& name,
                        const std::string& bytes);
std::string ForgetKeptIn(const std::string& folder, char separator, const std::string& name);
