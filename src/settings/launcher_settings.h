#pragma once
// The settings file beside the program, its per-user copy, and the reading of
// the Launcher Settings.

#include <string>

#include "settings/settings_values.h"

namespace jl {

class Launcher;

// The program path with its last "." onwards replaced by ".ini"; false when the
// program path cannot be read or holds no ".".
[[nodiscard]] bool iniPathBesideProgram(std::wstring& path);
// APPDATA\<product folder>\<product code>\<program base name>.ini; empty when the
// program path cannot be read. With createFolders the two folders are made first.
[[nodiscard]] std::wstring userIniPath(const Launcher& launcher, bool createFolders);
// The paired product's INI file; false when there is no "Pair Product" or it has no ".".
[[nodiscard]] bool pairedIniPath(const Launcher& launcher, std::wstring& path);
// The paired product's per-user INI copy (folders created); empty without "Pair Product".
[[nodiscard]] std::wstring pairedUserIniPath(const Launcher& launcher);

// The "JVM Source" and "VM Provider" flags of the launcher.
void applyJvmSource(Launcher& launcher, const JvmSourceFlags& source);
void applyVmProvider(Launcher& launcher, const VmProviderFlags& provider);

// Fills the Launcher Settings. False when they are unusable: no INI path, or no
// "Main Class" (after showing message 210).
[[nodiscard]] bool loadLauncherSettings(Launcher& launcher);

} // namespace jl
