#pragma once
// What a console-subsystem copy of the launcher does instead of showing windows:
// the program's own image header says which kind of program it is, so a copy
// whose header was switched behaves as the header says.

#include <string_view>

namespace jl {

// True when the running program's image is marked for the console subsystem.
[[nodiscard]] bool isConsoleProgram();
// Writes the text and a line end to standard error: to a console as Unicode,
// to a file or pipe as UTF-8. Nothing happens without a standard error handle.
void writeStandardErrorLine(std::wstring_view text);

} // namespace jl
