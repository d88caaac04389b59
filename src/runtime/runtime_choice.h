#pragma once
// Which runtime a launch uses: "JRE Path", the private runtime, the registry
// (native view, then the 32-bit one with a "Pair Product"), the vendors' keys
// and JAVA_HOME, the folders runtimes are unpacked to, and at last the folder
// the user browses for.

#include <optional>
#include <string>

#include "types/version.h"
#include "settings/launcher_settings.h"

namespace jl {

enum class RuntimeSource {
    jrePath, privateRuntime, registry, registry32, vendor, vendor32, scanned, scanned32, browsed
};

struct ChosenRuntime {
    std::wstring jvmLibraryPath;
    Version version;  // known from the registry and vendor searches and the scan only
    RuntimeSource source = RuntimeSource::jrePath;
};

// Fills chosen with the runtime for the program at programPath; a browsed
// folder is remembered as "JRE Path". A 32-bit runtime is taken only when "Pair
// Product" can run it. False when there is none: the user cancelled the JRE Not
// Found dialog, or it could not be shown.
[[nodiscard]] bool chooseRuntime(const LauncherSettings& settings, const std::wstring& programPath,
                                 ChosenRuntime& chosen);

// Whether the launch goes to "Pair Product" instead: the runtime is a 32-bit one.
[[nodiscard]] bool handsOverToPairProduct(const ChosenRuntime& runtime, const std::wstring& pairProduct);

} // namespace jl
