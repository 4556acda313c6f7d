// The program's entry on Windows: the command line arrives as wide characters and goes on as UTF-8.
#include <vector>

#include "platform/win32/WideText.h"
#include "author/Tools.h"
#include "app/AuthorsAids.h"
#include "app/Main.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments(size_t(argc > 0 ? argc : 0));
    std::vector<char*> pointers;
    for (int i = 0; i < argc; ++i) arguments[size_t(i)] = Narrow(argv[i]);
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (argc >= 2 && IsToolCommand(arguments[1])) return RunTool(argc - 1, pointers.data() + 1);
    UseAuthorsAids();
    return Main(argc, pointers.data());
}
