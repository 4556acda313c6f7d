#pragma once
// Text as a JSON string, for the authors' commands' reports: quotes and backslashes escaped,
// control bytes as \u00XX; other bytes go out as they are.
#include <string>

std::string JsonString(const std::string& text);
