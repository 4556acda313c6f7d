#pragma once
// The question a start asks when the story has a bookmark: continue from it or start again, in
// the message box, as the story's own questions look and are answered.
#include "script/Rows.h"

constexpr const char32_t* kResumeQuestion = U"しおりがあります。";
constexpr const char32_t* kContinueAnswer = U"続きから読む";
constexpr const char32_t* kFromStartAnswer = U"はじめから読む";

// Asks, with "⇒" at 続きから読む; true when the reader continues. Afterwards the picture area is
// black again, as the story first finds it.
bool AskToContinue();
