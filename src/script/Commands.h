#pragma once
// The command letters: each character of a line is one of them, or story text. One row of the
// table in Commands.cpp says all there is about a letter: how many characters it takes after it
// and how they read, the handler that runs it, where the script goes on afterwards, and the story
// file it names. The interpreter runs by the rows and the checker (author/ScriptWalk) reads them.
// Each handler is named for what it does, a verb and its object (ShowPicture, PlaySoundEffect,
// Jump); its header says which letter it serves.
#include <string>
#include <string_view>

#include "script/Rows.h"

// Runs the command that ch names, or types ch into the current row; false ends the run.
bool RunCommand(RunState& state, char32_t ch);

// How the characters after a command letter are read.
enum class ArgumentKind { None, Decimal, FlagIndex, Name, Question };

// Where the script goes on once a command's handler has run.
enum class Then {
    StepPast,  // after the characters the letter takes, on the same line
    Moved,     // where the handler put it: a jump, a branch, a chained file, past a question
    End,       // nowhere: the run ends
};

// The story file a command names: its folder, and its name around the argument ("Pic", ".bmp").
struct AssetPattern {
    const char* folder = nullptr;  // none: the command names no file
    const char* prefix = "";
    const char* suffix = "";
};

using CommandHandler = void (*)(RunState& state, const CommandArgument& argument);

struct CommandLetter {
    char32_t letter;
    int length;              // characters taken after the letter (a question takes the rest of its line)
    ArgumentKind kind;
    CommandHandler handler;  // none: the letter does nothing but what `then` says
    Then then;
    AssetPattern asset;
};

// The letter's row, or nullptr when ch is story text (or a line end).
const CommandLetter* FindCommandLetter(char32_t ch);

// The file name a command's argument makes ("Pic" + "01" + ".bmp"); empty when it names none.
std::string AssetFileName(const CommandLetter& command, std::u32string_view argument);
