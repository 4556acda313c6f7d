#include "script/Interpreter.h"

#include "script/Arguments.h"
#include "script/Commands.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/TextCodec.h"
#include "window/Crt.h"
#include "window/Pacing.h"

namespace {

constexpr int32_t kStepMs = 15;

// Where an error happened, for the message: the file, the line as an editor counts it, its text.
std::string Location(int16_t lineNo) {
    std::string where = "\nScenario " + CurrentScenarioFile() + ", line " + std::to_string(lineNo + 1);
    if (lineNo >= 0 && lineNo <= kLastSlot) {
        std::u32string text = ScriptLine[size_t(lineNo)];
        if (!text.empty() && text.back() == U'\\') text.pop_back();
        if (text.size() > 60) text = text.substr(0, 60) + U"…";
        where += ": " + ToUtf8(text);
    }
    return where;
}

}  // namespace

void ClearRows(RunState& state) {
    for (int i = 0; i < kRows; ++i) state.TextLine[i].clear();
    state.TextRow = 0;
}

void DrawMessageWindow() {
    Crt.LineFill(kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, kDarkBlue);
    Crt.LineOutline(kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, kLightGrey);
}

void DrawMessageRows(const RunState& state) {
    DrawMessageWindow();
    for (int i = 0; i < kRows; ++i) {
        Crt.CurrentX = kTextLeft;
        Crt.CurrentY = kTextTop + kRowPitch * i;
        Crt.Print(state.TextLine[i]);
    }
}

void RedrawText(RunState& state) {
    state.CharPos = Add16(state.CharPos, 1, "the character position");
    DrawMessageRows(state);
    KeyHit(Key::Space);  // forgets a Space pressed while the text was typing
    SkippableWait(kStepMs);
}

std::u32string NextChars(const RunState& state, int k) {
    const std::u32string& line = ScriptLine[state.LineNo];
    const size_t from = static_cast<size_t>(state.CharPos);  // the character after CharPos
    if (from >= line.size()) return U"";
    return line.substr(from, static_cast<size_t>(k));
}

void NextRow(RunState& state) {
    state.LineNo = Add16(state.LineNo, 1, "the line number");
    state.TextRow = Add16(state.TextRow, 1, "the text row");
    state.CharPos = 0;
    if (state.TextRow >= kRows) ClearRows(state);
}

namespace {
RunState run;  // lives for one run of the script; kept afterwards for those who look
}

const RunState& CurrentRun() { return run; }

void RunScript() {
    run = RunState{};
    RunState& state = run;
    int16_t lastLine = 0;  // the line of the last command run: a line outside the script came from it
    try {
        for (;;) {
            if (state.LineNo < 0 || state.LineNo > kLastSlot) {
                throw RunTimeError(SubscriptOutOfRange("line index " + std::to_string(state.LineNo) +
                                                       " is outside the script (0 to 500)").what() +
                                   Location(lastLine));
            }
            lastLine = state.LineNo;
            const std::u32string& line = ScriptLine[state.LineNo];
            // A position past the end of the line (an argument took in the end-of-line mark, or
            // a slot was never filled) ends the line, as its mark would.
            const size_t pos = static_cast<size_t>(state.CharPos);
            const char32_t ch = (pos >= 1 && pos <= line.size()) ? line[pos - 1] : U'\\';
            if (!RunCommand(state, ch)) return;
            RedrawText(state);
        }
    } catch (const RunTimeError& error) {
        if (state.LineNo < 0 || state.LineNo > kLastSlot) throw;  // already placed
        throw RunTimeError(error.what() + Location(state.LineNo));
    }
}
