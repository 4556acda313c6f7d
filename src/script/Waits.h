#pragma once
// The commands that hold the story: the page wait for Space under a blinking cursor, the timed
// pause, and the two-way question answered with Up, Down and Space.
#include "script/Rows.h"

// "P": redraws the box every 50 ms with "▲" blinking after the current row's text until Space is
// seen. A Space pressed while the text was still typing, or held down, ends it at once.
void WaitForPage(RunState& state, const CommandArgument& argument);

// "T" + a decimal number: pauses that many milliseconds (a negative number: one message pump).
void Pause(RunState& state, const CommandArgument& argument);

// "Q": the rest of the line is the question and the next two lines are the answers. After half a
// second the player moves "⇒" with Up and Down and confirms with Space; flag 255 becomes True for
// the first answer and False for the second, and the story goes on three lines on.
void AskQuestion(RunState& state, const CommandArgument& argument);

// The question's look and keys, on the texts in state.ChoiceText (the question, then the two
// answers): draws them with "⇒" at the first answer and returns once Space (or a click on an
// answer) confirms one: true for the first. state.ChoiceCursor is then the arrow's offset.
bool ChooseAnswer(RunState& state);
