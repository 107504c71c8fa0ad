#pragma once
#include <string>
#include <vector>

namespace kvdriver {

// One driver command: NAME with its arguments. Returns the process exit code:
// 0 done, 1 the window or control was not there in time, 2 bad arguments.
int runCommand(const std::wstring& name, const std::vector<std::wstring>& arguments);

// The command summary printed for a bad command line.
std::wstring usageText();

}  // namespace kvdriver
