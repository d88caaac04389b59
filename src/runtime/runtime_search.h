#pragma once

#include <optional>
#include <string>

#include "runtime/version.h"

namespace jl {

class Launcher;

// The jvm.dll under a runtime home folder (ending in "\") for the JVM type, or
// empty when the folder has none.
[[nodiscard]] std::wstring findJvmLibrary(const std::wstring& homeFolder, int jvmType);

// Searches the registered runtimes; pass 0 the native registry view, pass 1 the
// 32-bit view (which also sets handOver). True with the chosen home folder.
[[nodiscard]] bool searchInstalledRuntimes(Launcher& launcher, std::wstring& homeFolder, Version& foundVersion,
                                           int pass);

// The runtime beside the program, if there is one.
[[nodiscard]] std::optional<std::wstring> findPrivateRuntime();

// The phrase that describes the configured version bounds.
[[nodiscard]] std::wstring describeVersionRequirement(const Version& minimum, const Version& maximum);

} // namespace jl
