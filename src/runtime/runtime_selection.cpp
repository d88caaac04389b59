#include "runtime/runtime_selection.h"

#include <algorithm>
#include <utility>

namespace jl {

const RegistryRoot kRegistryRoots[7] = {
    {"Software\\JavaSoft\\JDK\\", RuntimeKind::jdk, RuntimeProvider::sun, false, false},
    {"Software\\JavaSoft\\JRE\\", RuntimeKind::jre, RuntimeProvider::sun, false, false},
    {"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::jdk, RuntimeProvider::sun, true, false},
    {"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::jre, RuntimeProvider::sun, false, true},
    {"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::jre, RuntimeProvider::jrockit, false, false},
    {"Software\\JRockit\\Java Development Kit\\", RuntimeKind::jdk, RuntimeProvider::jrockit, true, false},
    {"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::jre, RuntimeProvider::ibm, false, false},
};

namespace {

bool kindAllowed(RuntimeKind kind, const RuntimeFilter& filter) {
    return kind == RuntimeKind::jdk ? filter.source.jdkAllowed : filter.source.jreAllowed;
}

// The provider's "allowed" and "favoured" flags.
std::pair<bool, bool> providerFlags(RuntimeProvider provider, const RuntimeFilter& filter) {
    const VmProviderFlags& flags = filter.provider;
    switch (provider) {
        case RuntimeProvider::sun: return {flags.sunAllowed, flags.sunFavoured};
        case RuntimeProvider::jrockit: return {flags.jrockitAllowed, flags.jrockitFavoured};
        case RuntimeProvider::ibm: return {flags.ibmAllowed, flags.ibmFavoured};
    }
    return {false, false};
}

} // namespace

bool rootKindAllowed(const RegistryRoot& root, const RuntimeFilter& filter) { return kindAllowed(root.kind, filter); }

bool runtimeIsSearched(RuntimeKind kind, RuntimeProvider provider, const RuntimeFilter& filter) {
    const auto [allowed, favoured] = providerFlags(provider, filter);
    return (filter.source.favouring || kindAllowed(kind, filter)) && (allowed || favoured);
}

bool runtimeIsFavoured(RuntimeKind kind, RuntimeProvider provider, const RuntimeFilter& filter) {
    return kindAllowed(kind, filter) && providerFlags(provider, filter).second;
}

bool rootIsSearched(const RegistryRoot& root, const RuntimeFilter& filter) {
    return runtimeIsSearched(root.kind, root.provider, filter);
}

bool rootCandidatesAreFavoured(const RegistryRoot& root, const RuntimeFilter& filter) {
    return runtimeIsFavoured(root.kind, root.provider, filter);
}

std::span<const JvmProbe> jvmProbeOrder(JvmType jvmType) {
    // The default order from the second entry on; a server VM asked for is
    // tried first, and alone when nothing else will do.
    static constexpr const wchar_t* kServer = L"bin\\server\\jvm.dll";
    static constexpr JvmProbe kOrder[] = {
        {kServer, true},
        {L"bin\\client\\jvm.dll", false},
        {L"bin\\classic\\jvm.dll", false},
        {L"bin\\hotspot\\jvm.dll", false},
        {kServer, true},
        {L"bin\\jrockit\\jvm.dll", false},
    };
    const std::span<const JvmProbe> order(kOrder);
    if (jvmType == JvmType::defaultVm) return order.subspan(1);
    if (jvmType == JvmType::server) return order.first(1);
    return order;
}

void orderCandidates(std::vector<RuntimeCandidate>& candidates, bool favouring, JvmType jvmType) {
    const auto before = [&](const RuntimeCandidate& a, const RuntimeCandidate& b) {
        if (a.versionKnown != b.versionKnown) return a.versionKnown;
        if (favouring && a.favoured != b.favoured) return a.favoured;
        if (jvmType == JvmType::favorServer && a.serverVm != b.serverVm) return a.serverVm;
        return compareVersions(a.version, b.version) > 0;
    };
    // A stable insertion sort: a machine registers a handful of runtimes, and
    // the library's merge sort would weigh more in the program than all of this.
    for (size_t i = 1; i < candidates.size(); ++i) {
        size_t j = i;
        while (j > 0 && before(candidates[i], candidates[j - 1])) --j;
        if (j != i) std::rotate(candidates.begin() + static_cast<std::ptrdiff_t>(j),
                                candidates.begin() + static_cast<std::ptrdiff_t>(i),
                                candidates.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}

CandidateChoice chooseCandidate(const std::vector<RuntimeCandidate>& ordered,
                                const std::vector<std::wstring>& preferredVersions) {
    for (const std::wstring& entry : preferredVersions) {
        Version pattern;
        (void)parseVersion(entry, 0, pattern);  // an entry without digits matches every version
        for (size_t i = 0; i < ordered.size(); ++i) {
            if (versionMatchesPattern(ordered[i].version, pattern)) return {i, entry, true};
        }
    }
    return {};
}

} // namespace jl
