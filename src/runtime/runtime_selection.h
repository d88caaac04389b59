#pragma once
// Which registered runtimes qualify and which one is chosen: the registry roots
// and their filters, the jvm.dll probe order, the ordering of candidates and the
// preferred versions. Platform-neutral.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "types/runtime_filter.h"
#include "types/version.h"

namespace jl {

enum class RuntimeKind { jdk, jre };
enum class RuntimeProvider { sun, jrockit, ibm };

struct RegistryRoot {
    const char* keyPath;  // under HKEY_LOCAL_MACHINE, ending in "\"; ASCII, opened with the narrow API
    RuntimeKind kind;
    RuntimeProvider provider;
    bool homeIsJreBelowJavaHome;  // the two "Java Development Kit" roots
    bool favorServerProbedAsDefault;
};

// Searched in this order.
extern const RegistryRoot kRegistryRoots[7];

[[nodiscard]] bool rootKindAllowed(const RegistryRoot& root, const RuntimeFilter& filter);
[[nodiscard]] bool rootIsSearched(const RegistryRoot& root, const RuntimeFilter& filter);
[[nodiscard]] bool rootCandidatesAreFavoured(const RegistryRoot& root, const RuntimeFilter& filter);
// The same rules for a runtime found elsewhere, once its kind and provider are known.
[[nodiscard]] bool runtimeIsSearched(RuntimeKind kind, RuntimeProvider provider, const RuntimeFilter& filter);
[[nodiscard]] bool runtimeIsFavoured(RuntimeKind kind, RuntimeProvider provider, const RuntimeFilter& filter);

struct JvmProbe {
    const wchar_t* relativePath;  // below the home folder
    bool serverVm;
};
// The jvm.dll locations to try for a JVM type, in order.
[[nodiscard]] std::span<const JvmProbe> jvmProbeOrder(JvmType jvmType);

struct RuntimeCandidate {
    Version version;
    std::wstring homeFolder;
    bool serverVm = false;
    bool favoured = false;
    bool versionKnown = true;  // false for a home whose "release" file gives none
    bool x86 = false;          // a 32-bit runtime (vendor search and scan only)
};

// Stable: known versions first, then favoured (only when favouring), then server
// VMs (only for favor_server), then the higher version.
void orderCandidates(std::vector<RuntimeCandidate>& candidates, bool favouring, JvmType jvmType);

struct CandidateChoice {
    size_t index = 0;
    std::wstring matchedPreference;  // the "Preferred versions" entry that chose it
    bool byPreference = false;
};
// The first preferred entry that matches any candidate picks the first candidate
// it matches; otherwise the first candidate. The list must not be empty.
[[nodiscard]] CandidateChoice chooseCandidate(const std::vector<RuntimeCandidate>& ordered,
                                              const std::vector<std::wstring>& preferredVersions);

} // namespace jl
