#include "system/MusicDevice.h"

#include <cstdint>

#include "system/Errors.h"
#include "system/Files.h"
#include "system/StoryFiles.h"

std::string MusicDevice::Send(const MciCommand& command, MusicPlayer& player) {
    using Verb = MciCommand::Verb;
    switch (command.verb) {
    case Verb::Open: {
        if (open) break;  // the alias is taken; the device answers with an error
        std::string content;
        try {
            content = StandardMidiFile(ReadAssetFile(command.path, StoryFolderOf(StoryFolder::Bgm).cap));
        } catch (const RunTimeError&) {
            break;
        }
        if (content.empty()) break;
        open = true;
        playing = false;
        player.Load(content);
        break;
    }
    case Verb::Play:
        if (!open || player.AtEnd()) break;  // at the end there is nothing left to play
        if (player.Play(false)) playing = true;
        break;
    case Verb::PlayFromStart:
        if (!open) break;
        playing = false;
        if (player.Play(true)) playing = true;
        break;
    case Verb::Stop:
        if (!open) break;
        player.Stop();
        playing = false;
        break;
    case Verb::SeekToStart:
        if (!open) break;
        player.Rewind();
        playing = false;
        break;
    case Verb::StatusMode:
        if (!open) return "";
        return playing && !player.Ended() ? "playing" : "stopped";
    case Verb::Close:
        Close(player);
        break;
    case Verb::Ignored:
        break;
    }
    return "";
}

void MusicDevice::Close(MusicPlayer& player) {
    if (open) player.Close();
    open = false;
    playing = false;
}

std::string StandardMidiFile(const std::string& content) {
    if (!IsMidiFile(content)) return "";
    if (content.compare(0, 4, "MThd") == 0) return content;
    // The RIFF container's chunks, one after another, each padded to an even length.
    for (size_t at = 12; at + 8 <= content.size();) {
        const auto byte = [&](size_t i) { return uint32_t(uint8_t(content[at + 4 + i])); };
        const uint32_t size = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
        if (content.compare(at, 4, "data") == 0) return StandardMidiFile(content.substr(at + 8, size));
        // Counted in size_t: a size near 4 GB must not wrap round to a step of nothing.
        at += 8 + size_t(size) + (size & 1);
    }
    return "";
}
