#include "script/ResumePrompt.h"

#include "script/Waits.h"
#include "system/Platform.h"
#include "window/Crt.h"

bool AskToContinue() {
    RunState prompt;
    prompt.ChoiceText[0] = kResumeQuestion;
    prompt.ChoiceText[1] = kContinueAnswer;
    prompt.ChoiceText[2] = kFromStartAnswer;
    // Noted as the story's questions are: the backlog does not open over it.
    System().Trace("question");
    const bool continuing = ChooseAnswer(prompt);
    System().Trace("answered");
    Crt.Cls();
    Crt.Refresh();
    return continuing;
}
