#pragma once
// The command letters: each character of a line is one of them, or story text. Each letter's
// handler is named for what it does, a verb and its object (ShowPicture, PlaySoundEffect, Jump),
// and takes the run's state; its header says which letter it serves and what argument it reads.
#include "script/Rows.h"

// Runs the command that ch names, or types ch into the current row; false ends the run.
bool RunCommand(RunState& state, char32_t ch);

// How the characters after a command letter are read.
enum class ArgumentKind { None, Decimal, FlagIndex, Name, Question };

struct CommandLetter {
    char32_t letter;
    int length;         // characters taken after the letter (a question takes the rest of its line)
    ArgumentKind kind;
};

// The letter's entry in the dispatch, or nullptr when ch is story text (or a line end).
const CommandLetter* FindCommandLetter(char32_t ch);
