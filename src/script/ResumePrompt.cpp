#include "script/ResumePrompt.h"

#include "script/Waits.h"
#include "window/Crt.h"

bool AskToContinue() {
    RunState prompt;
    prompt.ChoiceText[0] = kResumeQuestion;
    prompt.ChoiceText[1] = kContinueAnswer;
    prompt.ChoiceText[2] = kFromStartAnswer;
    const bool continuing = ChooseAnswer(prompt);
    Crt.Cls();
    Crt.Refresh();
    return continuing;
}
