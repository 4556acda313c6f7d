#include "system/MciCommand.h"

#include <sstream>
#include <vector>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The path of "open <path> alias MIDI", or "" when the command is not of that form.
std::string OpenPath(const std::string& command) {
    const std::string text = Trim(command);
    const std::string lower = Lower(text);
    const size_t alias = lower.rfind(" alias ");
    if (alias == std::string::npos || alias < 5 || lower.compare(0, 5, "open ") != 0) return "";
    if (Trim(lower.substr(alias + 7)) != "midi") return "";
    std::string path = Trim(text.substr(5, alias - 5));
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

}  // namespace

MciCommand ParseMciCommand(const std::string& command) {
    using Verb = MciCommand::Verb;
    std::istringstream words(Lower(command));
    std::string verb, alias;
    words >> verb >> alias;
    std::vector<std::string> rest;
    for (std::string word; words >> word;) rest.push_back(word);

    if (verb == "open") {
        const std::string path = OpenPath(command);
        if (path.empty()) return {};
        return {Verb::Open, path};
    }
    if (alias != "midi") return {};
    std::erase(rest, std::string("notify"));
    std::erase(rest, std::string("wait"));

    using Words = std::vector<std::string>;
    if (verb == "play" && rest.empty()) return {Verb::Play, ""};
    if (verb == "play" && rest == Words{"from", "0"}) return {Verb::PlayFromStart, ""};
    if (verb == "stop" && rest.empty()) return {Verb::Stop, ""};
    if (verb == "seek" && rest == Words{"to", "start"}) return {Verb::SeekToStart, ""};
    if (verb == "status" && rest == Words{"mode"}) return {Verb::StatusMode, ""};
    if (verb == "close" && rest.empty()) return {Verb::Close, ""};
    return {};
}
