#include "author/StoryTitle.h"

#include <filesystem>

#include "script/Commands.h"
#include "script/Scenario.h"
#include "system/Errors.h"
#include "system/Files.h"
#include "system/TextCodec.h"

namespace {

namespace fs = std::filesystem;

// Longer than this (about a row of the box), the first page is the story itself, not its title.
constexpr size_t kTitleLength = 24;

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return text;
}

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000' || c == U'\r' || c == U'\n'; }

std::u32string Trimmed(std::u32string text) {
    while (!text.empty() && IsSpace(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) ++start;
    return text.substr(start);
}

// 『灯台の鍵』 is titled 灯台の鍵.
std::u32string Unbracketed(std::u32string text) {
    static const std::u32string kOpen = U"『「【《\"", kClose = U"』」】》\"";
    if (text.size() > 2) {
        const size_t pair = kOpen.find(text.front());
        if (pair != std::u32string::npos && text.back() == kClose[pair] &&
            text.find_first_of(kOpen, 1) == std::u32string::npos)
            return Trimmed(text.substr(1, text.size() - 2));
    }
    return text;
}

std::string TitleFileLine(const std::string& storyFolder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(storyFolder, error)) {
        if (Lower(entry.path().filename().string()) != Lower(kTitleFileName)) continue;
        std::string bytes;
        try {
            bytes = ReadWholeFile(entry.path().string(), size_t(64) << 10);
        } catch (const RunTimeError&) {
            return "";
        }
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
        const std::u32string text = FromUtf8(bytes);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of(U"\r\n", start);
            if (end == std::u32string::npos) end = text.size();
            const std::u32string line = Trimmed(text.substr(start, end - start));
            if (!line.empty() && line.find(char32_t(0xFFFD)) == std::u32string::npos) return ToUtf8(line);
            start = end + 1;
        }
    }
    return "";
}

}  // namespace

std::u32string FirstPageText(const std::string& scenarioBytes) {
    std::u32string text;
    for (const ScenarioFileLine& line : SplitScenario("Data00.Dat", scenarioBytes).lines) {
        for (size_t i = 0; i < line.text.size(); ++i) {
            const CommandLetter* command = FindCommandLetter(line.text[i]);
            if (command == nullptr) {
                text += line.text[i];
                if (text.size() > kTitleLength * 4) return Trimmed(text);
                continue;
            }
            if (command->letter == U'P' || command->then != Then::StepPast || command->kind == ArgumentKind::Question)
                return Trimmed(text);
            if (command->letter == U'C') text.clear();
            i += size_t(command->length);
        }
        if (!text.empty() && !IsSpace(text.back())) text += U' ';
    }
    return Trimmed(text);
}

std::string StoryTitle(const std::string& storyFolder, const CollectedStory& story, const std::string& folderName) {
    if (std::string title = TitleFileLine(storyFolder); !title.empty()) return title;
    for (const StoryFile& file : story.files) {
        if (Lower(file.path) != "data/data00.dat") continue;
        try {
            const std::u32string page = Unbracketed(FirstPageText(ReadWholeFile(file.source, kScenarioFileCap)));
            // A sentence is the story begun, not its title.
            const bool sentence = page.find(U'。') != std::u32string::npos ||
                                  (!page.empty() && std::u32string(U"．！？.!?」").find(page.back()) != std::u32string::npos);
            if (!page.empty() && page.size() <= kTitleLength && !sentence) return ToUtf8(page);
        } catch (const RunTimeError&) {
        }
    }
    return folderName;
}
