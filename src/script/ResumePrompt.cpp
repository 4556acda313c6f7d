#include "script/ResumePrompt.h"

#include "script/Waits.h"
#include "system/Platform.h"
#include "system/TextCodec.h"
#include "window/Crt.h"

bool AskToContinue() {
    RunState prompt;
    prompt.ChoiceText[0] = kResumeQuestion;
    prompt.ChoiceText[1] = kContinueAnswer;
    prompt.ChoiceText[2] = kFromStartAnswer;
    // Noted as the story's questions are: the backlog does not open over it. A screen reader
    // reads it as it reads them.
    System().Trace("question");
    System().Announce(ToUtf8(std::u32string(kResumeQuestion) + U"\n" + kContinueAnswer + U"\n" + kFromStartAnswer));
    const bool continuing = ChooseAnswer(prompt);
    System().Announce("");
    System().Trace("answered");
    Crt.Cls();
    Crt.Refresh();
    return continuing;
}
