#include "script/Waits.h"

#include <algorithm>
#include <limits>

#include "script/Arguments.h"
#include "script/AutoMode.h"
#include "script/History.h"
#include "script/ReaderPlace.h"
#include "script/Steering.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

constexpr int kCursorGap = 5;         // between the row's text and "▲"
constexpr double kBlinkMs = 70;       // a phase lasts more than this
constexpr int32_t kPagePassMs = 50;
constexpr int32_t kQuestionDelayMs = 500;
constexpr int32_t kQuestionPassMs = 100;
constexpr int16_t kFirstAnswer = 15, kSecondAnswer = 30;  // the arrow's offset from the question

// The millisecond clock as the blink reads it: a 32-bit signed count.
int32_t Clock32() { return static_cast<int32_t>(ClockMs()); }

void PrintAt(int x, int y, std::u32string_view text) {
    Crt.CurrentX = x;
    Crt.CurrentY = y;
    Crt.Print(text);
}

// The answer whose row holds the point: the arrow's offset for it, or 0 (the question's row, the
// picture, a point beside or between the rows).
int16_t AnswerAt(int x, int y) {
    if (x < kBoxLeft || x > kBoxRight) return 0;
    for (const int16_t answer : {kFirstAnswer, kSecondAnswer})
        if (y >= kTextTop + answer && y < kTextTop + answer + kRowPitch) return answer;
    return 0;
}

// The answer whose row the mouse pointer is over, or 0.
int16_t AnswerUnderPointer() {
    int x = 0, y = 0;
    return PointerMoved(x, y) ? AnswerAt(x, y) : 0;
}

// A tap at a question: on the answer the arrow marks, that answer (its offset); on the other
// answer, the arrow moves there; anywhere else nothing. A finger that lands a little off, or on
// the wrong row, never chooses at once. Returns the chosen answer, or 0.
int16_t AnswerTapped(int16_t& cursor) {
    int x = 0, y = 0;
    if (!TapHit(x, y)) return 0;
    const int16_t tapped = AnswerAt(x, y);
    if (tapped != 0 && tapped == cursor) return tapped;
    if (tapped != 0) cursor = tapped;
    return 0;
}

// The blink rule of one pass of the page wait, at the moment now: a phase lasts more than
// kBlinkMs, and the last change is kept in single precision (the sum is formed in double).
// Returns whether the pass shows the cursor: never in a pass that turns the phase, so that the
// blink is uneven on purpose.
bool BlinkPass(float& blinkTime, int16_t& blinkOn, int32_t now) {
    if (double(blinkTime) + kBlinkMs < double(now)) {
        blinkTime = static_cast<float>(now);
        blinkOn = blinkOn != 0 ? kFalse : kTrue;
        return false;
    }
    return blinkOn != 0;
}

// The page wait's passes that would draw what is on the screen already, and find no key, need not
// wake the program: they are run at their moments when the next wakeup comes, before what woke
// it is handled. Sleeps until the first pass from `next` (the moment the next pass is due) that
// shows the cursor otherwise than the last one did, or until something wakes the program before:
// a window event, a due timer. Returns the moment the next pass to run is due; each quiet pass
// before it has applied the blink rule at its own moment.
int64_t SleepThroughQuietPasses(RunState& state, bool cursorShown, int64_t next) {
    constexpr int64_t kPassPeriod = kPagePassMs + 1;  // a wait of "more than" 50 ms
    constexpr int kLookAhead = 4;                     // the cursor changes every two or three passes
    float blinkTime = state.BlinkTime;
    int16_t blinkOn = state.BlinkOn;
    int quiet = 0;
    while (quiet < kLookAhead &&
           BlinkPass(blinkTime, blinkOn, static_cast<int32_t>(next + quiet * kPassPeriod)) == cursorShown)
        ++quiet;
    if (quiet == 0) return next;
    const int64_t changing = next + quiet * kPassPeriod;
    const int64_t woke = SleepUntilWoken(changing);
    // A pass due before the wakeup found no key; one due at it or after runs as usual.
    for (; next < woke && next < changing; next += kPassPeriod)
        BlinkPass(state.BlinkTime, state.BlinkOn, static_cast<int32_t>(next));
    return next;
}

// Drops the end-of-line mark from a line taken as text; an empty slot stays empty.
void DropLastCharacter(std::u32string& text) {
    if (!text.empty()) text.pop_back();
}

}  // namespace

void WaitForPage(RunState& state, const CommandArgument&) {
    bool kept = false;
    const int64_t turnsByItself = ClockMs() + AutoPageMs(state);  // in auto mode
    // What a screen reader reads: the page's rows as typed.
    std::u32string page;
    for (int row = 0; row <= state.TextRow && row < 5; ++row) page += state.TextLine[row] + U"\n";
    System().Announce(ToUtf8(page));
    for (;;) {
        DrawMessageRows(state);
        const bool cursor = BlinkPass(state.BlinkTime, state.BlinkOn, Clock32());
        if (cursor) {
            const std::u32string& row = state.TextLine[state.TextRow];
            PrintAt(kTextLeft + Crt.TextWidth(row) + kCursorGap, kTextTop + kRowPitch * state.TextRow, U"▲");
        }
        DoEvents();
        // A held skip key passes the page as a held Space does, and a tap anywhere on the picture.
        int x = 0, y = 0;
        if (KeyHit(Key::Space) || SkipHeld() || TapHit(x, y)) return;
        if (AutoMode() && ClockMs() >= turnsByItself) return;
        const int64_t next = ClockMs() + kPagePassMs + 1;
        // Kept while the page is on screen, in time the wait spends anyway.
        if (!kept) KeepPlaceAtPage();
        kept = true;
        const int64_t due = SleepThroughQuietPasses(state, cursor, next);
        SkippableWaitUntil(AutoMode() ? std::min(due, turnsByItself) : due);
    }
}

void Pause(RunState&, const CommandArgument& argument) {
    const auto ms = RoundedValue(argument.text, std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max(), "the wait");
    SkippableWait(static_cast<int32_t>(ms));
}

void AskQuestion(RunState& state, const CommandArgument&) {
    Wait(kQuestionDelayMs);
    ClearRows(state);
    NoteQuestionBegins(state);

    const std::u32string& line = ScriptLine[state.LineNo];
    const size_t rest = static_cast<size_t>(state.CharPos);  // just after the "Q"
    state.ChoiceText[0] = rest < line.size() ? line.substr(rest) : U"";
    for (int i = 1; i <= 2; ++i) {
        const int answerLine = state.LineNo + i;
        if (answerLine > kLastSlot)
            throw SubscriptOutOfRange("the answers of a question on line " + std::to_string(state.LineNo) +
                                      " would lie past line 500");
        state.ChoiceText[i] = ScriptLine[answerLine];
    }
    Flag[255] = kFalse;
    for (std::u32string& text : state.ChoiceText) DropLastCharacter(text);

    state.CharPos = 0;
    state.LineNo = Add16(state.LineNo, 3, "the line number");
    NoteQuestionShown(true);
    System().Trace("question");  // the monkey knows what the wheel and PageUp may do
    ChooseAnswer(state);
    if (state.ChoiceCursor == kFirstAnswer) Flag[255] = kTrue;
    if (state.ChoiceCursor == kSecondAnswer) Flag[255] = kFalse;
    NoteQuestionShown(false);
    System().Trace("answered");
    RememberAnswer(state.ChoiceText[0], state.ChoiceText[state.ChoiceCursor == kFirstAnswer ? 1 : 2]);
}

bool ChooseAnswer(RunState& state) {
    state.ChoiceCursor = kFirstAnswer;
    // Keys pressed and the pointer moved before the question was on screen are not answers.
    KeyHit(Key::Up);
    KeyHit(Key::Down);
    KeyHit(Key::Space);
    AnswerUnderPointer();
    int tapX = 0, tapY = 0;
    TapHit(tapX, tapY);

    bool kept = false;
    NoteQuestionShown(true);
    System().Announce(ToUtf8(state.ChoiceText[0] + U"\n" + state.ChoiceText[1] + U"\n" + state.ChoiceText[2]));
    for (;;) {
        DrawMessageWindow();
        PrintAt(kTextLeft, kTextTop, state.ChoiceText[0]);
        PrintAt(kAnswerLeft, kTextTop + kFirstAnswer, state.ChoiceText[1]);
        PrintAt(kAnswerLeft, kTextTop + kSecondAnswer, state.ChoiceText[2]);
        PrintAt(kTextLeft, kTextTop + state.ChoiceCursor, U"⇒");
        Crt.Refresh();
        DoEvents();
        // The pointer first, so that a click on an answer confirms that answer.
        if (const int16_t pointed = AnswerUnderPointer(); pointed != 0) state.ChoiceCursor = pointed;
        if (KeyHit(Key::Up)) state.ChoiceCursor = kFirstAnswer;
        if (KeyHit(Key::Down)) state.ChoiceCursor = kSecondAnswer;  // both at once: Down wins
        if (AnswerTapped(state.ChoiceCursor) != 0) break;
        if (KeyHit(Key::Space)) break;
        // Kept while the question is on screen, as a page is.
        if (!kept) KeepPlaceAtPage();
        kept = true;
        Wait(kQuestionPassMs);
    }
    return state.ChoiceCursor == kFirstAnswer;
}
