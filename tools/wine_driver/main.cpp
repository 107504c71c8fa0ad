// kvdriver: drives the program's windows from another process under the same
// Wine server, one command per run, for the end-to-end tests.
#include <vector>

#include "commands.h"
#include "console_text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        kvdriver::printError(kvdriver::usageText());
        return 2;
    }
    return kvdriver::runCommand(argv[1], std::vector<std::wstring>(argv + 2, argv + argc));
}
