#pragma once
// Runtimes that no registry key names: the folders where installers, IDEs and
// build tools unpack them, and what a runtime's "release" file tells about it.
// Platform-neutral.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime_selection.h"
#include "types/version.h"

namespace jl {

// The value of KEY="value" on the text's first line that starts with KEY=, without
// its quotes; empty when there is no such line or its value is not quoted.
[[nodiscard]] std::optional<std::string_view> releaseValue(std::string_view text, std::string_view key);

enum class ReleaseArchitecture { unknown, x64, x86, other };

struct ReleaseFacts {
    std::optional<Version> version;  // JAVA_VERSION
    ReleaseArchitecture architecture = ReleaseArchitecture::unknown;  // OS_ARCH; unknown without one
    std::string_view architectureName;                               // OS_ARCH as written, for the trace
    RuntimeProvider provider = RuntimeProvider::sun;  // an OpenJ9 or IBM runtime counts as IBM's
    std::optional<RuntimeKind> kind;                  // IMAGE_TYPE, when it says JDK or JRE
};
// What a runtime's "release" file says about it; the views point into the text.
[[nodiscard]] ReleaseFacts readReleaseFacts(std::string_view text);

// The environment's folders the scan starts from; an empty one is skipped.
struct ScanRoots {
    std::wstring programFiles;
    std::wstring localAppData;
    std::wstring userProfile;
};

// A folder whose direct subfolders are runtime homes, or hold one at homeBelow.
struct ScanPlace {
    std::wstring folder;          // ends in "\"
    const wchar_t* homeBelow;     // "" or a path ending in "\"
};

// The places in the order they are scanned: the installers' folders under
// Program Files, the per-user ones under LOCALAPPDATA\Programs, the IDE's,
// Scoop's and Gradle's folders in the user profile, and last the parent folder
// of every home the registry names. Each folder is listed once.
[[nodiscard]] std::vector<ScanPlace> runtimeScanPlaces(const ScanRoots& roots,
                                                       const std::vector<std::wstring>& registeredHomes);

} // namespace jl
