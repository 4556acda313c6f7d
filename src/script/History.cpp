#include "script/History.h"

namespace {

std::deque<HistoryPage> pages;
bool questionShown = false;

void Remember(HistoryPage page) {
    if (pages.size() >= kHistoryPages) pages.pop_front();
    pages.push_back(std::move(page));
}

}  // namespace

void RememberPage(const std::u32string* rows, int count) {
    while (count > 0 && rows[count - 1].empty()) --count;
    if (count > 0) Remember(HistoryPage(rows, rows + count));
}

void RememberAnswer(const std::u32string& question, const std::u32string& answer) {
    Remember(HistoryPage{question, U"⇒" + answer});
}

void NoteQuestionShown(bool shown) { questionShown = shown; }

bool QuestionShown() { return questionShown; }

const std::deque<HistoryPage>& RememberedPages() { return pages; }

void ForgetHistory() {
    pages.clear();
    questionShown = false;
}
