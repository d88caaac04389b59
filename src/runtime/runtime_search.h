#pragma once

#include <optional>
#include <string>

#include <vector>

#include "support/pe_headers.h"
#include "runtime/runtime_selection.h"
#include "types/version.h"

namespace jl {

struct RuntimeRequest;
struct ScanRoots;

// Which registry view a search reads: the native (64-bit) one, or the 32-bit one.
enum class RegistryView { native, wow32 };

// The jvm.dll under a runtime home folder (ending in "\") for the JVM type, or
// empty when the folder has none. On a hit, serverVm tells whether it is the
// server VM.
[[nodiscard]] std::wstring findJvmLibrary(const std::wstring& homeFolder, JvmType jvmType, bool* serverVm = nullptr);

// The registered runtimes of one view that qualify, in the order of preference.
[[nodiscard]] std::vector<RuntimeCandidate> findRuntimeCandidates(const RuntimeRequest& request, RegistryView view);

struct InstalledRuntime {
    std::wstring homeFolder;  // ends in "\"
    Version version;
    bool x86 = false;  // a 32-bit runtime, found by the vendor search or the scan with a "Pair Product" only
};
// The registered runtime of one view that the request chooses; empty when none qualifies.
[[nodiscard]] std::optional<InstalledRuntime> searchInstalledRuntimes(const RuntimeRequest& request,
                                                                      RegistryView view);

// Where current installers leave runtimes the registry roots do not name: the
// vendors' own keys in HKEY_LOCAL_MACHINE, then in HKEY_CURRENT_USER (64-bit
// view only), then javaHome; in the order of preference. Nothing tells these
// places' bitness, so each jvm.dll is read: a 32-bit runtime is a candidate only
// with a "Pair Product", and then after every 64-bit one.
[[nodiscard]] std::vector<RuntimeCandidate> findVendorRuntimeCandidates(const RuntimeRequest& request,
                                                                        const std::wstring& javaHome,
                                                                        bool pairProductSet);
// The vendor runtime the request chooses, with JAVA_HOME from the environment:
// as with the registry's two views, a 32-bit one only when no 64-bit one
// qualifies. Empty when none qualifies or "Search Vendor Runtimes" is off.
[[nodiscard]] std::optional<InstalledRuntime> searchVendorRuntimes(const RuntimeRequest& request,
                                                                   bool pairProductSet);

// The runtimes in the folders where installers, IDEs and build tools unpack them
// without a registry key (see runtimeScanPlaces), with the parent folders of
// registeredHomes; ordered as the vendor search orders its own.
[[nodiscard]] std::vector<RuntimeCandidate> findScannedRuntimeCandidates(
    const RuntimeRequest& request, const ScanRoots& roots, const std::vector<std::wstring>& registeredHomes,
    bool pairProductSet);
// The scanned runtime the request chooses, with the folders from ProgramFiles,
// LOCALAPPDATA and USERPROFILE and the homes the registry names; chosen as the
// vendor search chooses. Empty when none qualifies or "Search Vendor Runtimes" is off.
[[nodiscard]] std::optional<InstalledRuntime> searchRuntimeFolders(const RuntimeRequest& request,
                                                                   bool pairProductSet);

// The runtime beside the program: the program folder itself or its "jre64\"
// folder, whichever first holds "bin\java.dll". programFolder ends in "\".
[[nodiscard]] std::optional<std::wstring> findPrivateRuntime(const std::wstring& programFolder);

// Sets VQ_JVM_PATH to the jvm.dll path and VQ_JVM_HOME to the runtime home.
void publishRuntimeVariables(const std::wstring& jvmLibraryPath);

// The bitness of the image file, read from its bytes rather than through
// Dbghelp.dll, which a planted copy beside the program could replace. A file
// that cannot be read is unusable.
[[nodiscard]] ImageBitness jvmImageBitness(const std::wstring& path);

// The phrase that describes the configured version bounds.
[[nodiscard]] std::wstring describeVersionRequirement(const Version& minimum, const Version& maximum);

} // namespace jl
