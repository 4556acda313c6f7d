// Wait: how long it takes, that it pumps, and that it sleeps rather than spins.
#include <gtest/gtest.h>

#include "support/Story.h"
#include "window/Pacing.h"

namespace {

TEST(Wait, ReturnsOnlyAfterMoreThanTheGivenTime) {
    Story story;
    story.platform.now = 1000;
    Wait(15);
    EXPECT_EQ(story.platform.now, 1016);
    Wait(0);
    EXPECT_EQ(story.platform.now, 1017) << "Wait(0) returns once the clock has moved on";
}

TEST(Wait, PumpsAtLeastOnceEvenForANegativeTime) {
    Story story;
    const int pumps = story.platform.pumps;
    Wait(-5);
    EXPECT_EQ(story.platform.pumps, pumps + 1);
    EXPECT_EQ(story.platform.now, 0);
}

TEST(Wait, SleepsInsteadOfPolling) {
    Story story;
    const int sleeps = story.platform.sleeps;
    Wait(500);
    EXPECT_LE(story.platform.sleeps - sleeps, 2) << "one sleep to the deadline is enough";
}

TEST(Wait, KeyEventsWakeItToPumpButNotToReturnEarly) {
    Story story;
    story.platform.PressKey(100, Key::Space);
    Wait(300);
    EXPECT_EQ(story.platform.now, 301);
    EXPECT_TRUE(KeyHit(Key::Space)) << "the press is remembered until asked for";
    EXPECT_FALSE(KeyHit(Key::Space)) << "asking clears the memory";
}

}  // namespace
