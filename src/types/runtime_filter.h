#pragma once
// Which runtimes the settings let the search take, and which VM of a runtime:
// values the settings produce and the runtime search and the launcher read.
// Platform-neutral.

namespace jl {

// "JVM Type": which VM of a runtime to load. The numbers are the type codes the
// trace shows.
enum class JvmType { defaultVm = 0, server = 1, favorServer = 2 };

// "JVM Source": whether JDKs and JREs are taken, and whether one kind is only
// favoured rather than required.
struct JvmSourceFlags {
    bool favouring = true;
    bool jdkAllowed = true;
    bool jreAllowed = true;
    friend bool operator==(const JvmSourceFlags&, const JvmSourceFlags&) = default;
};

// "VM Provider": which providers' registered runtimes count, and which go first.
struct VmProviderFlags {
    bool jrockitAllowed = false;
    bool jrockitFavoured = false;
    bool sunAllowed = true;
    bool sunFavoured = true;
    bool ibmAllowed = false;
    bool ibmFavoured = false;
    friend bool operator==(const VmProviderFlags&, const VmProviderFlags&) = default;
};

// The settings that steer the registry search ("JVM Source", "VM Provider").
struct RuntimeFilter {
    JvmSourceFlags source;
    VmProviderFlags provider;
};

} // namespace jl
