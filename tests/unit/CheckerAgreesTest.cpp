// The checker against the player on the differential fuzz target's seeds, each a story that
// once passed the checker and stopped the player, or one that walks every kind of step.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/CheckedStory.h"
#include "support/Story.h"

namespace {

TEST(CheckerAgrees, EverySeedTheCheckerPassesThePlayerRuns) {
    const std::filesystem::path seeds = TESSARO_SOURCE_DIR "/tests/fuzz/corpus/CheckerFuzz";
    int tried = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        Story story;
        WriteGeneratedStory(story.folder.string(), bytes.str());
        EXPECT_EQ(CheckerDisagreement(story.folder.string()), "") << entry.path().filename();
        ++tried;
    }
    EXPECT_GE(tried, 8);
}

}  // namespace
