#include "script/Waits.h"

#include <limits>

#include "script/Arguments.h"
#include "script/Steering.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

constexpr int kAnswerLeft = 30;
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

// The answer whose row the mouse pointer is over: the arrow's offset for it, or 0.
int16_t AnswerUnderPointer() {
    int x = 0, y = 0;
    if (!PointerMoved(x, y) || x < kBoxLeft || x > kBoxRight) return 0;
    for (const int16_t answer : {kFirstAnswer, kSecondAnswer})
        if (y >= kTextTop + answer && y < kTextTop + answer + kRowPitch) return answer;
    return 0;
}

// Drops the end-of-line mark from a line taken as text; an empty slot stays empty.
void DropLastCharacter(std::u32string& text) {
    if (!text.empty()) text.pop_back();
}

}  // namespace

void WaitForPage(RunState& state) {
    for (;;) {
        DrawMessageRows(state);
        // The last phase change is kept in single precision; the sum is formed in double.
        if (double(state.BlinkTime) + kBlinkMs < double(Clock32())) {
            state.BlinkTime = static_cast<float>(Clock32());
            state.BlinkOn = state.BlinkOn != 0 ? kFalse : kTrue;
            // No cursor in a pass that turns the phase: the blink is uneven on purpose.
        } else if (state.BlinkOn != 0) {
            const std::u32string& row = state.TextLine[state.TextRow];
            PrintAt(kTextLeft + Crt.TextWidth(row) + kCursorGap, kTextTop + kRowPitch * state.TextRow, U"▲");
        }
        DoEvents();
        // A held skip key passes the page as a held Space does.
        if (KeyHit(Key::Space) || SkipHeld()) return;
        SkippableWait(kPagePassMs);
    }
}

void Pause(RunState& state) {
    const auto ms = RoundedValue(NextChars(state, 3), std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max(), "the wait");
    SkippableWait(static_cast<int32_t>(ms));
    state.CharPos = Add16(state.CharPos, 3, "the character position");
}

void AskQuestion(RunState& state) {
    Wait(kQuestionDelayMs);
    ClearRows(state);

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
    state.ChoiceCursor = kFirstAnswer;
    // Keys pressed and the pointer moved before the question was on screen are not answers.
    KeyHit(Key::Up);
    KeyHit(Key::Down);
    KeyHit(Key::Space);
    AnswerUnderPointer();

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
        if (KeyHit(Key::Space)) break;
        Wait(kQuestionPassMs);
    }
    if (state.ChoiceCursor == kFirstAnswer) Flag[255] = kTrue;
    if (state.ChoiceCursor == kSecondAnswer) Flag[255] = kFalse;
}
