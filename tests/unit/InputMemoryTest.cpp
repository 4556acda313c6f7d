// The rule every machine answers KeyHit and PointerMoved by: a press counts once even when the key
// is up again before the look, a held key counts at every look, nothing counts without the focus
// (and a press noted then is gone afterwards).
#include <gtest/gtest.h>

#include "system/ReaderInput.h"

namespace {

TEST(InputMemory, KeysCountOnceUnlessHeldAndNeverWithoutTheFocus) {
    struct Look {
        bool pressBefore, focused, held, hit;
    };
    // One key, looked at in turn; each row says what happened before the look and what it finds.
    const Look looks[] = {
        {false, true, false, false}, {true, true, false, true},  {false, true, false, false},
        {false, true, true, true},   {false, true, true, true},  {true, false, false, false},
        {false, true, false, false}, {true, false, true, false}, {true, true, true, true},
    };
    InputMemory input;
    int row = 0;
    for (const Look& look : looks) {
        if (look.pressBefore) input.NotePress(Key::Down);
        EXPECT_EQ(input.KeyHit(Key::Down, look.focused, look.held), look.hit) << "look " << row;
        EXPECT_FALSE(input.KeyHit(Key::Up, true, false)) << "another key, look " << row;
        ++row;
    }
    input.NotePress(Key::Space);
    input.ForgetKeys();
    EXPECT_FALSE(input.KeyHit(Key::Space, true, false)) << "forgotten";
}

TEST(InputMemory, ThePointerIsReportedOnceWhereItWentLast) {
    InputMemory input;
    int x = -1, y = -1;
    EXPECT_FALSE(input.PointerMoved(x, y, true));
    input.NotePointer(3, 4);
    input.NotePointer(30, 40);
    EXPECT_TRUE(input.PointerMoved(x, y, true));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_FALSE(input.PointerMoved(x, y, true));
    input.NotePointer(5, 6);
    EXPECT_FALSE(input.PointerMoved(x, y, false)) << "without the focus";
    EXPECT_FALSE(input.PointerMoved(x, y, true)) << "and not kept for later";
    input.NotePointer(7, 8);
    input.ForgetPointer();
    EXPECT_FALSE(input.PointerMoved(x, y, true));
    EXPECT_EQ(x, 30);
}

}  // namespace
