#include "script/Rows.h"

#include <algorithm>

#include "script/Arguments.h"
#include "script/History.h"
#include "script/Scenario.h"
#include "script/TextSpeed.h"
#include "system/Platform.h"
#include "window/Crt.h"
#include "window/Pacing.h"

void ClearRows(RunState& state) {
    RememberPage(state.TextLine, std::min<int>(state.TextRow + 1, kRows));
    for (int i = 0; i < kRows; ++i) state.TextLine[i].clear();
    state.TextRow = 0;
    ++state.PagesBegun;
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
    KeyHit(Key::Space);  // forgets a Space pressed, or a tap, while the text was typing
    int x = 0, y = 0;
    TapHit(x, y);
    System().Trace("step");
    SkippableWait(CharacterPauseMs());
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
