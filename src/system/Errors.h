#pragma once
// The run-time errors that stop the program. Each carries the text shown to the user: the kind of
// error first, then what it concerns (a file's path, or a scenario line).
#include <stdexcept>
#include <string>

struct RunTimeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

RunTimeError FileNotFound(const std::string& path);
RunTimeError FileUnreadable(const std::string& path, const std::string& why);
RunTimeError InvalidPicture(const std::string& path, const std::string& why);
RunTimeError SubscriptOutOfRange(const std::string& what);
RunTimeError Overflow(const std::string& what);

// Thrown to end the program at once, wherever it is (the window was closed); Main catches it and
// exits with the status.
struct ProgramEnd {
    int status;
};
