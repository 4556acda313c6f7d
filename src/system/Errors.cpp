#include "system/Errors.h"

RunTimeError FileNotFound(const std::string& path) {
    return RunTimeError("File not found: " + path);
}

RunTimeError FileUnreadable(const std::string& path, const std::string& why) {
    return RunTimeError("Cannot read file: " + path + " (" + why + ")");
}

RunTimeError InvalidPicture(const std::string& path, const std::string& why) {
    return RunTimeError("Invalid picture: " + path + " (" + why + ")");
}

RunTimeError SubscriptOutOfRange(const std::string& what) {
    return RunTimeError("Subscript out of range: " + what);
}

RunTimeError Overflow(const std::string& what) { return RunTimeError("Overflow: " + what); }
