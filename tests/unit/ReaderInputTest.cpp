// The reader's input rules, once for every machine: what each key with its modifiers, a repeat, a
// click, the wheel and the focus before it come to (what the program finds at its next look, what
// the machine is asked to do), what counts while held, and what a message box makes of a key.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "system/ReaderInput.h"

namespace {

enum class FocusBefore { Had, Away };

struct Action {
    enum Kind { KeyDown, LeftClick, RightClick, Wheel } kind;
    ReaderKey key = ReaderKey::Space;
    unsigned modifiers = 0;
    bool repeat = false;
    int turned = 0;
};

Action Press(ReaderKey key, unsigned modifiers = 0) { return {Action::KeyDown, key, modifiers, false}; }
Action Repeat(ReaderKey key, unsigned modifiers = 0) { return {Action::KeyDown, key, modifiers, true}; }
Action Wheel(int turned) { return {Action::Wheel, ReaderKey::Space, 0, false, turned}; }
const Action kLeftClick{Action::LeftClick}, kRightClick{Action::RightClick};

constexpr Key kAllKeys[] = {Key::Space, Key::Up,   Key::Down,    Key::PageUp, Key::PageDown, Key::Home,
                            Key::Escape, Key::RightClick, Key::WheelUp, Key::Mute,   Key::WheelDown,
                            Key::VolumeDown, Key::VolumeUp, Key::Slower, Key::Faster, Key::Auto};

struct Rule {
    FocusBefore focus;
    Action action;
    std::vector<Key> noted;  // what the next look finds (the key let go again by then)
    InputRequest done;
    bool pointer;            // whether the pointer's place is noted
};

TEST(ReaderInput, EachKeyAndClickComesToOneThing) {
    const unsigned ctrl = kModCtrl, alt = kModAlt, super = kModSuper;
    const InputRequest none = InputRequest::None, fullscreen = InputRequest::ToggleFullscreen;
    const FocusBefore had = FocusBefore::Had, away = FocusBefore::Away;
    const Rule rules[] = {
        {had, Press(ReaderKey::Space), {Key::Space}, none, false},
        {had, Press(ReaderKey::Space, alt | ctrl), {Key::Space}, none, false},
        {had, Repeat(ReaderKey::Space), {Key::Space}, none, false},
        {had, Press(ReaderKey::Enter), {Key::Space}, none, false},
        {had, Press(ReaderKey::KeypadEnter, ctrl), {Key::Space}, none, false},
        {had, Repeat(ReaderKey::Enter), {Key::Space}, none, false},
        {had, Press(ReaderKey::Enter, alt), {}, fullscreen, false},
        {had, Press(ReaderKey::KeypadEnter, alt), {}, fullscreen, false},
        {had, Repeat(ReaderKey::Enter, alt), {}, none, false},
        {had, Press(ReaderKey::F11), {}, fullscreen, false},
        {had, Press(ReaderKey::F11, ctrl), {}, fullscreen, false},
        {had, Repeat(ReaderKey::F11), {}, none, false},
        {had, Press(ReaderKey::M), {Key::Mute}, none, false},
        {had, Repeat(ReaderKey::M), {}, none, false},
        {had, Press(ReaderKey::M, ctrl), {}, none, false},
        {had, Press(ReaderKey::M, alt), {}, none, false},
        {had, Press(ReaderKey::M, super), {}, none, false},
        // The volume, the speed and auto mode: alone only; the switch once for a key held down.
        {had, Press(ReaderKey::Minus), {Key::VolumeDown}, none, false},
        {had, Repeat(ReaderKey::KeypadMinus), {Key::VolumeDown}, none, false},
        {had, Press(ReaderKey::Plus), {Key::VolumeUp}, none, false},
        {had, Press(ReaderKey::KeypadPlus), {Key::VolumeUp}, none, false},
        {had, Press(ReaderKey::Plus, ctrl), {}, none, false},
        {had, Press(ReaderKey::BracketLeft), {Key::Slower}, none, false},
        {had, Repeat(ReaderKey::BracketRight), {Key::Faster}, none, false},
        {had, Press(ReaderKey::BracketRight, super), {}, none, false},
        {had, Press(ReaderKey::A), {Key::Auto}, none, false},
        {had, Repeat(ReaderKey::A), {}, none, false},
        {had, Press(ReaderKey::A, alt), {}, none, false},
        {had, Press(ReaderKey::Up), {Key::Up}, none, false},
        {had, Repeat(ReaderKey::Down), {Key::Down}, none, false},
        {had, Press(ReaderKey::PageUp), {Key::PageUp}, none, false},
        {had, Repeat(ReaderKey::PageDown), {Key::PageDown}, none, false},
        {had, Press(ReaderKey::Home), {Key::Home}, none, false},
        {had, Press(ReaderKey::Escape), {Key::Escape}, none, false},
        {had, Press(ReaderKey::Ctrl, ctrl), {}, none, false},
        {had, Wheel(1), {Key::Up, Key::WheelUp}, none, false},
        {had, Wheel(-120), {Key::Down, Key::WheelDown}, none, false},
        {had, Wheel(0), {}, none, false},
        {had, kLeftClick, {Key::Space}, none, true},
        {had, kRightClick, {Key::RightClick}, none, false},
        // The click that brings the window back (told before the focus it brings) is only that;
        // a key or the wheel told then counts once the focus is there.
        {away, kLeftClick, {}, none, true},
        {away, kRightClick, {}, none, false},
        {away, Press(ReaderKey::Space), {Key::Space}, none, false},
        {away, Wheel(1), {Key::Up, Key::WheelUp}, none, false},
    };
    int row = 0;
    for (const Rule& rule : rules) {
        ReaderInput input;
        input.Focus(true);
        if (rule.focus == FocusBefore::Away) input.Focus(false);
        const ImagePoint at{40, 50};
        InputRequest done = InputRequest::None;
        switch (rule.action.kind) {
        case Action::KeyDown:
            done = input.KeyDown(rule.action.key, rule.action.modifiers, rule.action.repeat);
            input.KeyUp(rule.action.key);
            break;
        case Action::LeftClick: input.Click(PointerButton::Left, &at); break;
        case Action::RightClick: input.Click(PointerButton::Right, &at); break;
        case Action::Wheel: input.Wheel(rule.action.turned); break;
        }
        EXPECT_EQ(int(done), int(rule.done)) << "row " << row;
        input.Focus(true);  // the look comes with the focus
        for (const Key key : kAllKeys) {
            const bool noted = std::find(rule.noted.begin(), rule.noted.end(), key) != rule.noted.end();
            EXPECT_EQ(input.KeyHit(key), noted) << "row " << row << ", key " << int(key);
        }
        int x = 0, y = 0;
        EXPECT_EQ(input.PointerMoved(x, y), rule.pointer) << "row " << row;
        EXPECT_FALSE(input.SkipHeld()) << "row " << row;
        ++row;
    }
}

TEST(ReaderInput, HeldKeysCountAtEveryLookUntilLetGoOrTheFocusGoes) {
    ReaderInput input;
    input.Focus(true);
    input.KeyDown(ReaderKey::Space, 0, false);
    input.KeyDown(ReaderKey::Down, 0, false);
    input.KeyDown(ReaderKey::Ctrl, kModCtrl, false);
    for (int look = 0; look < 3; ++look) {
        EXPECT_TRUE(input.KeyHit(Key::Space)) << look;
        EXPECT_TRUE(input.KeyHit(Key::Down)) << look;
        EXPECT_FALSE(input.KeyHit(Key::Up)) << look;
        EXPECT_TRUE(input.SkipHeld()) << look;
    }
    input.KeyUp(ReaderKey::Space);
    input.KeyUp(ReaderKey::Ctrl);
    EXPECT_FALSE(input.KeyHit(Key::Space));
    EXPECT_FALSE(input.SkipHeld());

    // Enter still down after Alt+Enter (or any Enter) is no Space held: it counts as pressed once.
    input.KeyDown(ReaderKey::Enter, kModAlt, false);
    input.KeyDown(ReaderKey::Enter, 0, false);
    EXPECT_TRUE(input.KeyHit(Key::Space));
    EXPECT_FALSE(input.KeyHit(Key::Space));

    // The focus going, or a message box dismissed, lets go of everything; a key still down counts
    // again from its next repeat.
    input.KeyDown(ReaderKey::Ctrl, kModCtrl, false);
    input.Focus(false);
    input.Focus(true);
    EXPECT_FALSE(input.KeyHit(Key::Down));
    EXPECT_FALSE(input.SkipHeld());
    input.KeyDown(ReaderKey::Up, 0, false);
    input.Forget();
    EXPECT_FALSE(input.KeyHit(Key::Up));
    input.KeyDown(ReaderKey::Up, 0, true);
    EXPECT_TRUE(input.KeyHit(Key::Up));
    EXPECT_TRUE(input.KeyHit(Key::Up));

    // Without the focus nothing counts, held or not, and neither does the pointer.
    input.KeyDown(ReaderKey::Ctrl, kModCtrl, false);
    const ImagePoint at{1, 2};
    input.Focus(false);
    input.KeyDown(ReaderKey::Space, 0, false);
    input.PointerAt(at);
    int x = 0, y = 0;
    EXPECT_FALSE(input.KeyHit(Key::Space));
    EXPECT_FALSE(input.KeyHit(Key::Up));
    EXPECT_FALSE(input.SkipHeld());
    EXPECT_FALSE(input.PointerMoved(x, y));
}

TEST(ReaderInput, OnlyTheClickThatBringsTheFocusIsLost) {
    const ImagePoint at{5, 6};
    ReaderInput input;
    EXPECT_FALSE(input.Focused()) << "until the machine tells";
    input.Click(PointerButton::Left, &at);  // the focus click, told before the focus
    input.Focus(true);
    EXPECT_FALSE(input.KeyHit(Key::Space));
    input.Click(PointerButton::Left, &at);  // the next, however soon, is the reader's
    EXPECT_TRUE(input.KeyHit(Key::Space));
    input.Focus(true);  // told again while it is there: nothing changes
    input.Click(PointerButton::Right, nullptr);
    EXPECT_TRUE(input.KeyHit(Key::RightClick));
}

TEST(ReaderInput, AMessageBoxTakesItsOwnKeys) {
    struct BoxKey {
        ReaderKey key;
        unsigned modifiers;
        bool repeat;
        InputRequest done;
    };
    const BoxKey keys[] = {
        {ReaderKey::Enter, 0, false, InputRequest::CloseMessageBox},
        {ReaderKey::KeypadEnter, 0, false, InputRequest::CloseMessageBox},
        {ReaderKey::Space, 0, true, InputRequest::CloseMessageBox},
        {ReaderKey::Escape, 0, false, InputRequest::CloseMessageBox},
        {ReaderKey::Enter, kModAlt, false, InputRequest::ToggleFullscreen},
        {ReaderKey::Enter, kModAlt, true, InputRequest::None},
        {ReaderKey::F11, 0, false, InputRequest::ToggleFullscreen},
        {ReaderKey::M, 0, false, InputRequest::None},
        {ReaderKey::PageUp, 0, false, InputRequest::None},
    };
    for (const BoxKey& k : keys)
        EXPECT_EQ(int(ReaderInput::KeyInMessageBox(k.key, k.modifiers, k.repeat)), int(k.done))
            << "key " << int(k.key) << " modifiers " << k.modifiers;
}

// With Alt held only Enter is ours: Alt+F4, Alt+Space and Alt+Home stay the system's.
TEST(ReaderInput, WithAltOnlyEnterIsKeptFromTheSystem) {
    EXPECT_FALSE(ReaderInput::AltKeyIsTheSystems(true, ReaderKey::Enter));
    EXPECT_FALSE(ReaderInput::AltKeyIsTheSystems(true, ReaderKey::KeypadEnter));
    EXPECT_TRUE(ReaderInput::AltKeyIsTheSystems(true, ReaderKey::Space));
    EXPECT_TRUE(ReaderInput::AltKeyIsTheSystems(true, ReaderKey::Home));
    EXPECT_TRUE(ReaderInput::AltKeyIsTheSystems(false, ReaderKey::Enter));  // F4: no key of ours
}

}  // namespace
