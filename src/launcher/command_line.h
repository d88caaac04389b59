#pragma once
// The program's arguments from the process command line. Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

// The program's arguments from a whole command line: trimmed, split as "Cmd" is
// (splitCommandLine), and the first token (the program path as the caller wrote
// it) dropped.
[[nodiscard]] std::vector<std::wstring> argumentsFromCommandLine(std::wstring_view commandLine);

// True when an argument is exactly "-nosplash" or "/nosplash" (case-sensitive).
[[nodiscard]] bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments);

} // namespace jl
