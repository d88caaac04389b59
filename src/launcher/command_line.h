#pragma once
// Splitting of the process command line and of "Cmd". Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

// Appends the tokens of the text to the list without clearing it. Only U+0020
// separates tokens; a double quote is special only where a token begins, and a
// backslash is an ordinary character.
void splitCommandLine(std::wstring_view text, std::vector<std::wstring>& tokens);

// The program's arguments from a whole command line: trimmed, split, and the
// first token (the program path as the caller wrote it) dropped.
[[nodiscard]] std::vector<std::wstring> argumentsFromCommandLine(std::wstring_view commandLine);

// True when an argument is exactly "-nosplash" or "/nosplash" (case-sensitive).
[[nodiscard]] bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments);

} // namespace jl
