// No scenario file, however broken, crashes the player: it plays, stops with an error message,
// or runs until the window is closed.
#include <gtest/gtest.h>

#include <random>

#include "script/Interpreter.h"
#include "support/Story.h"
#include "system/Errors.h"

namespace {

// Bytes that a broken or hostile scenario might hold: every command letter, digits and signs
// for their arguments, line ends of every kind, Shift-JIS lead bytes without trails, NUL.
std::string RandomScenario(std::mt19937& random) {
    static const std::string alphabet =
        "CPTWDJLBXZQSRGFeab0123456789+-.&HhOoEeDd \t\\\r\n\r\n\x81\x82\x9f\xe0\xfc\xa0\xff\x1a";
    std::uniform_int_distribution<size_t> length(0, 400), pick(0, alphabet.size());
    std::string bytes;
    for (size_t n = length(random); n > 0; --n) {
        const size_t i = pick(random);
        bytes.push_back(i == alphabet.size() ? '\0' : alphabet[i]);
    }
    return bytes;
}

TEST(BrokenScenarios, EndInAnOrderlyWay) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 150; ++round) {
        Story story;
        const std::string bytes = RandomScenario(random);
        story.Write("Data/Data00.Dat", bytes);
        story.Write("Data/Data01.Dat", RandomScenario(random));
        story.platform.CloseWindowAt(3000);
        story.platform.PressKey(500, Key::Space, 2000);
        try {
            story.Run();
        } catch (const ProgramEnd&) {
            // closed while it played on
        }
        EXPECT_LE(story.platform.now, 3100) << "round " << round << " did not stop when closed";
    }
}

}  // namespace
