#include "script/Interpreter.h"

#include "script/Commands.h"
#include "script/History.h"
#include "script/ReaderKeys.h"
#include "script/ReaderPlace.h"
#include "script/Scenario.h"
#include "script/ScenarioPlace.h"
#include "system/Errors.h"
#include "system/TextCodec.h"

namespace {

// Where an error happened, for the message: the file, the line as an editor counts it, its text.
std::string Location(int16_t lineNo) {
    std::string where = "\n" + ScenarioPlace(lineNo);
    if (lineNo >= 0 && lineNo <= kLastSlot) {
        std::u32string text = ScriptLine[size_t(lineNo)];
        if (!text.empty() && text.back() == U'\\') text.pop_back();
        if (text.size() > 60) text = text.substr(0, 60) + U"…";
        where += ": " + ToUtf8(text);
    }
    return where;
}

StepObserver stepObserver = nullptr;

}  // namespace

// Lives for one run of the script; kept afterwards for the tests to look at (tests/support/Probes.h).
RunState ScriptRun;

void SetStepObserver(StepObserver observer) { stepObserver = observer; }

const RunState& CurrentRun() { return ScriptRun; }

namespace {

void Run(int16_t firstLine, int16_t firstPosition) {
    ScriptRun = RunState{};
    RunState& state = ScriptRun;
    state.LineNo = firstLine;
    state.CharPos = firstPosition;
    ListenToReaderKeys(state);
    int pagesSeen = -1;  // a run starts on an empty box: its first page begins at once
    int16_t lastLine = firstLine;  // the line of the last command run: a line outside the script came from it
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
            if (state.PagesBegun != pagesSeen) {
                pagesSeen = state.PagesBegun;
                NotePageBegins(state);
            }
            if (stepObserver != nullptr) stepObserver(state, ch);
            if (!RunCommand(state, ch)) return;
            RedrawText(state);
        }
    } catch (const RunTimeError& error) {
        if (state.LineNo < 0 || state.LineNo > kLastSlot) throw;  // already placed
        throw RunTimeError(error.what() + Location(state.LineNo));
    }
}

}  // namespace

void RunScript(int16_t firstLine) {
    ForgetHistory();
    Run(firstLine, 1);
}

void ContinueScript(int16_t line, int16_t position) { Run(line, position); }
