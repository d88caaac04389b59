#pragma once

#include <optional>
#include <string>

#include <vector>

#include "runtime/runtime_selection.h"
#include "runtime/version.h"

namespace jl {

class Launcher;

// The jvm.dll under a runtime home folder (ending in "\") for the JVM type, or
// empty when the folder has none. On a hit, serverVm tells whether it is the
// server VM.
[[nodiscard]] std::wstring findJvmLibrary(const std::wstring& homeFolder, JvmType jvmType, bool* serverVm = nullptr);

// The registered runtimes that qualify, in the order of preference; pass 0 reads
// the native registry view, pass 1 the 32-bit view.
[[nodiscard]] std::vector<RuntimeCandidate> findRuntimeCandidates(const Launcher& launcher, int pass);

// Searches the registered runtimes; pass 0 the native registry view, pass 1 the
// 32-bit view (only with a "Pair Product", and a hit there sets handOver). True
// with the chosen home folder and version.
[[nodiscard]] bool searchInstalledRuntimes(Launcher& launcher, std::wstring& homeFolder, Version& foundVersion,
                                           int pass);

// The program's folder, ending in "\".
[[nodiscard]] std::optional<std::wstring> programFolder();
// The runtime beside the program: the program folder itself or its "jre64\"
// folder, whichever first holds "bin\java.dll".
[[nodiscard]] std::optional<std::wstring> findPrivateRuntime();

// Sets VQ_JVM_PATH to the jvm.dll path and VQ_JVM_HOME to the runtime home.
void publishRuntimeVariables(const std::wstring& jvmLibraryPath);

// True when the file is a PE image for 32-bit x86. Reads only within the file.
[[nodiscard]] bool isX86Image(const std::wstring& path);

// The phrase that describes the configured version bounds.
[[nodiscard]] std::wstring describeVersionRequirement(const Version& minimum, const Version& maximum);

} // namespace jl
