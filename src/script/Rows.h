#pragma once
// The state of one run and the message box's rows: what every command handler works on, below
// the interpreter that dispatches to them.
#include <cstdint>
#include <string>
#include <string_view>

// The state of one run, handed to the commands.
struct RunState {
    int16_t LineNo = 0;   // index into ScriptLine of the line being run
    int16_t CharPos = 1;  // 1-based position of the next character to read
    int16_t TextRow = 0;  // the box row that text goes to, 0 to 4
    std::u32string TextLine[11];  // rows 0 to 4 are shown

    // Page waits and questions.
    int16_t BlinkOn = 0;
    float BlinkTime = 0;
    std::u32string ChoiceText[3];
    int16_t ChoiceCursor = 0;

    // How many times the box has been emptied (a new page begins after each): the reader's
    // place is the start of the page on screen.
    int PagesBegun = 0;
};

// What a command's handler is given: the characters its letter takes (fewer where the line ends
// sooner), and the name of the story file they make for a command that names one ("Pic01.bmp").
struct CommandArgument {
    std::u32string_view text;
    std::string file;
};

// The message box's rows: five of them, the first at (15, 210), 15 pixels apart.
constexpr int kRows = 5;
constexpr int kTextLeft = 15, kTextTop = 210, kRowPitch = 15;
// The message box's corners.
constexpr int kBoxLeft = 5, kBoxTop = 200, kBoxRight = 295, kBoxBottom = 270;
// A question's answers stand further right than its rows.
constexpr int kAnswerLeft = 30;
// How wide a row's text, and an answer's, may be before it runs past the box's right edge.
constexpr int kRowWidth = kBoxRight - kTextLeft;
constexpr int kAnswerWidth = kBoxRight - kAnswerLeft;

// The empty message box.
void DrawMessageWindow();

// The box with its five rows, as every step and every waiting pass draws it.
void DrawMessageRows(const RunState& state);

// The step after each command or character: advance, redraw, 15 ms.
void RedrawText(RunState& state);

// The next k characters after the command letter (fewer where the line ends sooner).
std::u32string NextChars(const RunState& state, int k);

// Empties rows 0 to 4; text goes on at row 0.
void ClearRows(RunState& state);

// Moves to the next line and the next row; the sixth row starts again on an empty box.
void NextRow(RunState& state);
