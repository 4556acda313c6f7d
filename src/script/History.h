#pragma once
// What the reader has read, for the backlog: the rows of each page as it left the box, and each
// question with the answer taken. Kept in memory only, the last kHistoryPages pages; remembering
// costs one copy of a page's rows when the page is cleared, nothing while text types.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

constexpr size_t kHistoryPages = 256;

using HistoryPage = std::vector<std::u32string>;

// The first count rows of a page that leaves the box; its empty rows at the end are left out,
// and a page with no text at all is not remembered.
void RememberPage(const std::u32string* rows, int count);

// A question and the answer taken, as one page.
void RememberAnswer(const std::u32string& question, const std::u32string& answer);

// Whether a question is on screen now, waiting for its answer.
void NoteQuestionShown(bool shown);
bool QuestionShown();

// The oldest page first.
const std::deque<HistoryPage>& RememberedPages();

// A new run starts with nothing read.
void ForgetHistory();
