#pragma once
// A story folder for one test: files written into a fresh temporary directory, the test platform
// in place, the window loaded, the line store empty and every flag clear.
#include <filesystem>
#include <string>

#include "support/TestPlatform.h"

std::string Cp932(const std::string& utf8);  // encodes UTF-8 text as the scenario files hold it

class Story {
public:
    Story();
    ~Story();

    // Writes a file below the story folder ("Data/Data00.Dat"), bytes as given.
    void Write(const std::string& relativePath, const std::string& bytes);
    // Writes scenario file name from UTF-8 lines, in code page 932 with CR LF line ends.
    void Scenario(const std::string& name, const std::string& utf8Lines);
    // Loads scenario "00" and runs the script to its end; returns the error text, if any.
    std::string Run();

    std::filesystem::path folder;
    TestPlatform platform;
};

// The text of a row as UTF-8, for comparisons.
std::string Utf8(const std::u32string& text);
