#pragma once

#include <string>

namespace jl {

class Launcher;
class SettingsSource;

// Publishes the runtime variables, puts the library-path option at the head of
// the VM option list when "Library Path" is set, and rewrites Path.
void prepareLibraryPath(Launcher& launcher);

// Fills the VM option list, the output settings, the stack size and the extra
// arguments from the settings beside the program. False when the settings file
// cannot be named or the class path is empty (after message 209); start-up goes
// on regardless.
[[nodiscard]] bool prepareJvmOptions(Launcher& launcher);
// The same from a given settings source, for a program at programPath.
[[nodiscard]] bool assembleJvmOptions(Launcher& launcher, SettingsSource& settings, const std::wstring& programPath);

// The class path text from "Class Path": every entry followed by ";".
[[nodiscard]] std::wstring buildClassPath(SettingsSource& settings, const std::wstring& programFolder);

void appendVmOption(Launcher& launcher, const std::wstring& option);

} // namespace jl
