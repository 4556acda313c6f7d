#include "support/Story.h"

#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "sound/Bgm.h"
#include "support/Probes.h"
#include "script/Interpreter.h"
#include "script/Scenario.h"
#include "script/Steering.h"
#include "system/Errors.h"
#include "system/AssetPath.h"
#include "system/TextCodec.h"
#include "window/MainForm.h"

std::string Cp932(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

std::string Utf8(const std::u32string& text) { return ToUtf8(text); }

Story::Story() {
    char pattern[] = "/tmp/tessaro-story-XXXXXX";
    folder = ::mkdtemp(pattern);
    SetProgramDirectory(folder.string());
    for (auto& slot : ScriptLine) slot.clear();
    std::fill(std::begin(Flag), std::end(Flag), kFalse);
    BgmLoop = 0;
    KeepNoReaderPlace();
    ForgetShownPicture();
    ScreenWidth = ScreenHeight = 300;
    MainForm_Load();
}

Story::~Story() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void Story::Write(const std::string& relativePath, const std::string& bytes) {
    const std::filesystem::path path = folder / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void Story::Scenario(const std::string& name, const std::string& utf8Lines) {
    std::string crlf;
    for (char c : utf8Lines) {
        if (c == '\n') crlf += "\r\n";
        else crlf.push_back(c);
    }
    Write("Data/Data" + name + ".Dat", Cp932(crlf));
}

std::string Story::Run() {
    try {
        LoadScenario(U"00");
        RunScript();
    } catch (const RunTimeError& error) {
        return error.what();
    }
    return "";
}
