#pragma once
// The run-time errors that stop the program. Each carries the text shown to the user: the kind of
// error first, then what it concerns (a file's path, or a scenario line).
#include <cstddef>
#include <stdexcept>
#include <string>

struct RunTimeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

RunTimeError FileNotFound(const std::string& path);
RunTimeError FileUnreadable(const std::string& path, const std::string& why);
RunTimeError FileTooLarge(const std::string& path, size_t cap);
RunTimeError InvalidPicture(const std::string& path, const std::string& why);
RunTimeError SubscriptOutOfRange(const std::string& what);
RunTimeError Overflow(const std::string& what);

// A name as it may be shown: control bytes and bytes that are not UTF-8 text (a junk name, or a
// name written in another encoding) become "\x81", so nothing raw reaches the terminal or the box.
std::string PrintableName(const std::string& name);

// Thrown to end the program at once, wherever it is (the window was closed); Main catches it and
// exits with the status.
struct ProgramEnd {
    int status;
};
