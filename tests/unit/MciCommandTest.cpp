// The music device's command strings as stories write them, read into what they ask for.
#include <gtest/gtest.h>

#include "system/MciCommand.h"

namespace {

using Verb = MciCommand::Verb;

TEST(MciCommand, ReadsWhatStoriesWriteAndIgnoresTheRest) {
    const struct {
        const char* command;
        Verb verb;
        const char* path;
    } cases[] = {
        // Paths: quoted or not, with spaces, Windows-style, in their own letter case.
        {"open C:\\Story\\Bgm\\Bgm01.mid alias MIDI", Verb::Open, "C:\\Story\\Bgm\\Bgm01.mid"},
        {"open \"/tmp/my story/Bgm/Bgm01.mid\" alias MIDI", Verb::Open, "/tmp/my story/Bgm/Bgm01.mid"},
        {"open /tmp/my story/Bgm01.mid alias MIDI", Verb::Open, "/tmp/my story/Bgm01.mid"},
        {"open /tmp/an alias story/Bgm01.mid alias MIDI", Verb::Open, "/tmp/an alias story/Bgm01.mid"},
        {"  OPEN  /tmp/Bgm01.MID  ALIAS  midi  ", Verb::Open, "/tmp/Bgm01.MID"},
        {"open /tmp/Bgm01.mid alias OTHER", Verb::Ignored, ""},
        {"open /tmp/Bgm01.mid", Verb::Ignored, ""},
        {"open alias MIDI", Verb::Ignored, ""},
        // The alias in any case; "notify" and "wait" anywhere after it.
        {"play MIDI notify", Verb::Play, ""},
        {"PLAY midi", Verb::Play, ""},
        {"play MIDI wait", Verb::Play, ""},
        {"play MIDI from 0 notify", Verb::PlayFromStart, ""},
        {"play MIDI notify from 0", Verb::PlayFromStart, ""},
        {"stop MIDI notify", Verb::Stop, ""},
        {"seek MIDI to start", Verb::SeekToStart, ""},
        {"STATUS midi MODE", Verb::StatusMode, ""},
        {"close MIDI notify", Verb::Close, ""},
        {"close Midi", Verb::Close, ""},
        // Unknown verbs, other aliases, other arguments.
        {"", Verb::Ignored, ""},
        {"play", Verb::Ignored, ""},
        {"play OTHER", Verb::Ignored, ""},
        {"pause MIDI", Verb::Ignored, ""},
        {"seek MIDI to end", Verb::Ignored, ""},
        {"status MIDI length", Verb::Ignored, ""},
        {"play MIDI from 10", Verb::Ignored, ""},
        {"stop MIDI now", Verb::Ignored, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const MciCommand read = ParseMciCommand(c.command);
        EXPECT_EQ(read.verb, c.verb);
        EXPECT_EQ(read.path, c.path);
    }
}

}  // namespace
