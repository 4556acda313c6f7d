#include "script/ReaderPlace.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "script/LineMap.h"
#include "script/PictureCommand.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "sound/Bgm.h"
#include "system/AssetPath.h"
#include "system/Errors.h"
#include "system/Platform.h"
#include "system/TextCodec.h"

namespace {

// The most scenario files the identity reads: a story has a handful.
constexpr size_t kIdentityFiles = 256;

bool keeping = false;
uint64_t storyKept = 0;
std::string folderRecord;      // the name of the folder's record, "" before the first write
std::string folderRecordText;  // what it holds
Bookmark pageStart;            // the place of the page on screen
std::string lastWritten;       // what the bookmark file holds now
bool writeFailed = false;      // noted once a run

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// The record of which story's bookmark a folder had last: named by the folder's path.
std::string FolderRecordName(const std::string& folder) { return "folder-" + Hex(ScenarioHash(folder)); }

std::u32string CurrentScenarioName() { return FromUtf8(CurrentScenarioFile()).substr(4, 2); }

// The place now, at the character the run is about to read.
void TakePlace(const RunState& state, Bookmark& place) {
    place.story = storyKept;
    place.scenario = CurrentScenarioName();
    place.line = state.LineNo;
    place.position = state.CharPos;
    std::memcpy(place.flags, Flag, sizeof place.flags);
    place.picture = ShownPicture();
    place.music = BgmFile();
    place.musicPlaying = !place.music.empty() && BgmLoop != 0;
}

void Write(Bookmark& place) {
    const auto& pages = RememberedPages();
    place.backlog.assign(pages.begin(), pages.end());
    const std::string bytes = FormatBookmark(place);
    place.backlog.clear();
    if (bytes == lastWritten) return;
    const std::string why = System().WriteKept(Kept::Bookmarks, BookmarkName(storyKept), bytes);
    if (!why.empty()) {
        // A read-only or full disk costs the bookmark, never the story.
        if (!writeFailed) NoteKept("cannot keep the reader's place: " + why);
        writeFailed = true;
        return;
    }
    lastWritten = bytes;
    if (folderRecord.empty()) return;
    System().WriteKept(Kept::Bookmarks, folderRecord, folderRecordText);
    folderRecord.clear();  // once a run is enough
}

}  // namespace

void NoteKept(const std::string& text) { std::fprintf(stderr, "tessaro: %s\n", text.c_str()); }

std::string BookmarkName(uint64_t story) { return Hex(story) + ".bookmark"; }

uint64_t StoryIdentity() {
    std::map<std::u32string, uint64_t> files;
    std::vector<std::u32string> toRead{U"00"};
    while (!toRead.empty() && files.size() < kIdentityFiles) {
        const std::u32string name = toRead.back();
        toRead.pop_back();
        if (files.count(name) != 0) continue;
        files[name] = 0;
        try {
            const ScenarioFile file = ReadScenario(name);
            files[name] = ScenarioHash(file.bytes) ^ file.bytes.size();
            // Every "D" and the two characters after it: more than the story may chain to, never less.
            for (const ScenarioFileLine& line : file.lines)
                for (size_t at = line.text.find(U'D'); at != std::u32string::npos; at = line.text.find(U'D', at + 1))
                    if (at + 3 <= line.text.size()) toRead.push_back(line.text.substr(at + 1, 2));
        } catch (const RunTimeError&) {
            // A file a "D" names that is not there is part of what the story is, as nothing.
        }
    }
    std::string all;
    for (const auto& [name, hash] : files) all += ToUtf8(name) + "=" + Hex(hash) + "\n";
    return ScenarioHash(all);
}

void KeepReaderPlace(uint64_t story, const std::string& folder) {
    keeping = true;
    storyKept = story;
    folderRecord = FolderRecordName(folder);
    folderRecordText = Hex(story) + "\n";
    lastWritten.clear();
    writeFailed = false;
}

// For the tests (tests/support/Probes.h): a run that keeps no place, as the authors' runs.
void KeepNoReaderPlace() { keeping = false; }

void NotePageBegins(const RunState& state) {
    if (keeping) TakePlace(state, pageStart);
}

void KeepPlaceAtPage() {
    if (keeping) Write(pageStart);
}

void NoteQuestionBegins(const RunState& state) { NotePageBegins(state); }

void StoryFinished() {
    if (!keeping) return;
    ForgetBookmark(storyKept);
    keeping = false;
}

void ForgetBookmark(uint64_t story) {
    const std::string why = System().ForgetKept(Kept::Bookmarks, BookmarkName(story));
    if (!why.empty()) NoteKept("cannot forget the reader's place: " + why);
    lastWritten.clear();
}

bool FindBookmark(uint64_t story, const std::string& folder, Bookmark& bookmark) {
    std::string bytes, why;
    const std::string name = BookmarkName(story);
    if (!System().ReadKept(Kept::Bookmarks, name, bytes, why)) {
        if (!why.empty()) {
            NoteKept("the reader's place is not read: " + why);
            return false;
        }
        // None for the story as it is: one the folder had for an earlier version of it goes.
        std::string record;
        if (!System().ReadKept(Kept::Bookmarks, FolderRecordName(folder), record, why)) return false;
        uint64_t earlier = 0;
        if (record.size() != 17 || std::sscanf(record.c_str(), "%16llx", reinterpret_cast<unsigned long long*>(&earlier)) != 1 ||
            earlier == story)
            return false;
        std::string old;
        if (System().ReadKept(Kept::Bookmarks, BookmarkName(earlier), old, why)) {
            NoteKept("the story has changed since it was last read: it starts from the beginning");
            System().ForgetKept(Kept::Bookmarks, BookmarkName(earlier));
        }
        System().ForgetKept(Kept::Bookmarks, FolderRecordName(folder));
        return false;
    }
    const std::string path = name + " in " + System().KeptPlace(Kept::Bookmarks);
    if (const std::string wrong = ParseBookmark(bytes, bookmark); !wrong.empty()) {
        NoteKept("the reader's place is ignored: " + PrintableName(path) + " is " + wrong);
        return false;
    }
    if (bookmark.story != story) {
        NoteKept("the reader's place is ignored: " + PrintableName(path) + " is another story's");
        return false;
    }
    try {
        LoadScenario(bookmark.scenario);
        const std::u32string& line = ScriptLine[size_t(bookmark.line)];
        size_t lines = 0;
        while (lines < kLastSlot && ScriptLine[lines] != U"e") ++lines;
        if (size_t(bookmark.line) >= lines || bookmark.position < 1 || size_t(bookmark.position) > line.size())
            throw RunTimeError("a place past the end of " + CurrentScenarioFile());
        if (!bookmark.picture.empty()) System().LoadPicture(AssetPath(kPictureFolder, bookmark.picture));
    } catch (const RunTimeError& error) {
        NoteKept("the reader's place is ignored: " + std::string(error.what()));
        return false;
    }
    return true;
}
