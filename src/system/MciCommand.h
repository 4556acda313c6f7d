#pragma once
// The command strings that stories send to the music device, read into what they ask for. Words
// are matched without regard to letter case; the device alias must be "MIDI".
#include <string>

struct MciCommand {
    enum class Verb {
        Ignored,        // anything not understood, or for another alias
        Open,           // "open <path> alias MIDI"
        Play,           // "play MIDI"
        PlayFromStart,  // "play MIDI from 0"
        Stop,           // "stop MIDI"
        SeekToStart,    // "seek MIDI to start"
        StatusMode,     // "status MIDI mode"
        Close,          // "close MIDI"
    };
    Verb verb = Verb::Ignored;
    // For Open: everything between the verb and the last " alias ", without surrounding double
    // quotes, in its own letter case. A path may hold spaces.
    std::string path;
};

// The words "notify" and "wait" after the alias ask for completion notices, which are never
// delivered: they are allowed anywhere there and ignored.
MciCommand ParseMciCommand(const std::string& command);
