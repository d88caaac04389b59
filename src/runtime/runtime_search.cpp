#include "runtime/runtime_search.h"

#include <algorithm>
#include <vector>

#include "runtime/runtime_folders.h"
#include "runtime/runtime_selection.h"
#include "runtime/vendor_runtimes.h"
#include "settings/launcher_settings.h"
#include "support/path_text.h"
#include "support/pe_headers.h"
#include "support/string_text.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

// Trace text, narrow as every trace literal is.
const char* viewName(RegistryView view) { return view == RegistryView::wow32 ? "32-bit" : "native"; }

const char* whyRootIsSkipped(const RegistryRoot& root, const RuntimeFilter& filter) {
    if (!filter.source.favouring && !rootKindAllowed(root, filter)) {
        return root.kind == RuntimeKind::jdk ? "JDKs are not allowed by \"JVM Source\""
                                             : "JREs are not allowed by \"JVM Source\"";
    }
    return "its provider is not allowed by \"VM Provider\"";
}

std::vector<std::wstring> subKeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

void collectCandidates(const RuntimeRequest& request, const RegistryRoot& root, REGSAM access,
                       std::vector<RuntimeCandidate>& candidates) {
    const RuntimeFilter& filter = request.filter;
    if (!rootIsSearched(root, filter)) {
        trace<TraceTopic::registry>("root {} skipped: {}", Quoted{root.keyPath}, whyRootIsSkipped(root, filter));
        return;
    }
    UniqueKey rootKey;
    const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, root.keyPath, 0, access, rootKey.put());
    if (opened != ERROR_SUCCESS) {
        trace<TraceTopic::registry>("root {} not found (error {})", Quoted{root.keyPath}, opened);
        return;
    }
    const std::vector<std::wstring> names = subKeyNames(rootKey.get());
    trace<TraceTopic::registry>("root {} has {} sub-key(s)", Quoted{root.keyPath}, names.size());

    const bool favoured = rootCandidatesAreFavoured(root, filter);
    for (const std::wstring& name : names) {
        Version version;
        (void)parseVersion(name, 0, version);
        const std::wstring label = L"registry:   " + widenAscii(root.keyPath) + name + L" (" + fullVersionText(version) + L")";
        if (!versionInRange(version, request.minimumVersion, request.maximumVersion)) {
            trace("{} dropped: outside the version bounds {} to {}", label, fullVersionText(request.minimumVersion),
                  fullVersionText(request.maximumVersion));
            continue;
        }
        UniqueKey key;
        if (RegOpenKeyExW(rootKey.get(), name.c_str(), 0, access, key.put()) != ERROR_SUCCESS) {
            trace("{} dropped: the key cannot be opened", label);
            continue;
        }
        std::wstring home = registryString(key.get(), L"JavaHome");
        if (home.empty()) {
            trace("{} dropped: no \"JavaHome\" value", label);
            continue;
        }
        home = withTrailingBackslash(std::move(home));
        if (root.homeIsJreBelowJavaHome) home += L"jre\\";
        const JvmType probeType =
            (root.favorServerProbedAsDefault && request.jvmType == JvmType::favorServer) ? JvmType::defaultVm : request.jvmType;
        bool serverVm = false;
        if (findJvmLibrary(home, probeType, &serverVm).empty()) {
            trace("{} dropped: no jvm.dll for JVM type {} under {}", label, probeType, Quoted{home});
            continue;
        }
        trace("{} is a candidate: home {}, server VM {}, favoured {}", label, Quoted{home}, serverVm, favoured);
        candidates.push_back(RuntimeCandidate{version, home, serverVm, favoured});
    }
}

// What a vendor key, JAVA_HOME or a folder's "release" file tells about a home;
// the rest is read from the home itself.
struct HomeFacts {
    std::optional<Version> version;   // else the "release" file's
    std::optional<RuntimeKind> kind;  // else bin\javac.exe makes it a JDK
    RuntimeProvider provider = RuntimeProvider::sun;
    std::optional<bool> x86;          // else the jvm.dll's image tells
};

// A home found outside the registry roots, judged by their rules once its
// version, kind and provider are known.
void considerHome(const RuntimeRequest& request, const std::wstring& label, const std::wstring& homeText,
                  HomeFacts facts, std::vector<RuntimeCandidate>& candidates) {
    const std::wstring home = withTrailingBackslash(homeText);
    std::optional<Version>& version = facts.version;
    if (!version) {
        const std::optional<std::string> release = readFileBytes(home + L"release");
        if (release) version = releaseFileVersion(*release);
    }
    const std::wstring tried =
        label + L" -> " + home + L" (" + (version ? fullVersionText(*version) : L"version unknown") + L")";
    if (!versionSatisfiesBounds(version, request.minimumVersion, request.maximumVersion)) {
        trace("{}{}", tried, version ? " dropped: outside the version bounds" : " dropped: version bounds are set");
        return;
    }
    const RuntimeKind kind =
        facts.kind ? *facts.kind : pathExists(home + L"bin\\javac.exe") ? RuntimeKind::jdk : RuntimeKind::jre;
    if (!runtimeIsSearched(kind, facts.provider, request.filter)) {
        trace("{} dropped: {}", tried,
              whyRootIsSkipped(RegistryRoot{"", kind, facts.provider, false, false}, request.filter));
        return;
    }
    bool serverVm = false;
    const std::wstring library = findJvmLibrary(home, request.jvmType, &serverVm);
    if (library.empty()) {
        trace("{} dropped: no jvm.dll for JVM type {}", tried, request.jvmType);
        return;
    }
    const bool favoured = runtimeIsFavoured(kind, facts.provider, request.filter);
    const bool x86 = facts.x86 ? *facts.x86 : jvmImageBitness(library) == ImageBitness::x86;
    trace("{} is a candidate: server VM {}, favoured {}{}", tried, serverVm, favoured, x86 ? ", 32-bit" : "");
    candidates.push_back(
        RuntimeCandidate{version.value_or(Version{}), home, serverVm, favoured, version.has_value(), x86});
}

// A 32-bit jvm.dll cannot load into this 64-bit process: only a "Pair Product"
// can run it. The registry keeps such runtimes in its 32-bit view, searched after
// the native one; here they follow every 64-bit candidate.
void placeThirtyTwoBitCandidates(std::vector<RuntimeCandidate>& candidates, bool pairProductSet,
                                 const char* source) {
    std::erase_if(candidates, [pairProductSet, source](const RuntimeCandidate& candidate) {
        if (!candidate.x86 || pairProductSet) return false;
        trace("{}: {} dropped: a 32-bit runtime, and no \"Pair Product\" to hand the launch to", source,
              Quoted{candidate.homeFolder});
        return true;
    });
    // Two plain passes keep the order within each group, as a stable partition
    // would, without its scratch-buffer machinery in the program.
    std::vector<RuntimeCandidate> ordered;
    ordered.reserve(candidates.size());
    for (const bool x86 : {false, true}) {
        for (RuntimeCandidate& candidate : candidates) {
            if (candidate.x86 == x86) ordered.push_back(std::move(candidate));
        }
    }
    candidates = std::move(ordered);
}

void collectVendorCandidates(const RuntimeRequest& request, HKEY hive, const wchar_t* hiveName,
                             std::vector<RuntimeCandidate>& candidates) {
    for (const VendorRoot& root : kVendorRoots) {
        UniqueKey rootKey;
        if (RegOpenKeyExA(hive, root.keyPath, 0, KEY_READ, rootKey.put()) != ERROR_SUCCESS) continue;
        const std::vector<std::wstring> names = subKeyNames(rootKey.get());
        trace<TraceTopic::vendor>("{}{} has {} sub-key(s)", hiveName, root.keyPath, names.size());
        for (const std::wstring& name : names) {
            std::optional<Version> version;
            Version parsed;
            if (root.layout != VendorLayout::namedByMajor && parseVersion(name, 0, parsed)) version = parsed;
            for (const VendorHomeKey& homeKey : vendorHomeKeys(root, name)) {
                const std::wstring label = L"vendor: " + std::wstring(hiveName) + widenAscii(root.keyPath) + homeKey.subKeyPath;
                UniqueKey key;
                if (RegOpenKeyExW(rootKey.get(), homeKey.subKeyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
                    continue;  // an MSI layout registers only one of its VMs
                }
                const std::wstring home = registryString(key.get(), root.homeValue);
                if (home.empty()) {
                    trace("{} dropped: no {} text value", label, Quoted{root.homeValue});
                    continue;
                }
                const std::optional<RuntimeKind> kind =
                    vendorKeyIsJdk(root, name) ? std::optional(RuntimeKind::jdk) : std::nullopt;
                considerHome(request, label, home, HomeFacts{version, kind, homeKey.provider, std::nullopt},
                             candidates);
            }
        }
    }
}

// The home folders that the registry roots (both views) and the vendors' keys
// name, whatever the settings: their parent folders often hold other runtimes.
std::vector<std::wstring> registryNamedHomes() {
    std::vector<std::wstring> homes;
    const auto readHomes = [&homes](HKEY hive, const char* rootPath, REGSAM view, const VendorRoot* vendor) {
        UniqueKey rootKey;
        if (RegOpenKeyExA(hive, rootPath, 0, KEY_READ | view, rootKey.put()) != ERROR_SUCCESS) return;
        for (const std::wstring& name : subKeyNames(rootKey.get())) {
            const std::vector<VendorHomeKey> keys =
                vendor ? vendorHomeKeys(*vendor, name) : std::vector{VendorHomeKey{name, RuntimeProvider::sun}};
            for (const VendorHomeKey& homeKey : keys) {
                UniqueKey key;
                if (RegOpenKeyExW(rootKey.get(), homeKey.subKeyPath.c_str(), 0, KEY_READ | view, key.put()) ==
                    ERROR_SUCCESS) {
                    homes.push_back(registryString(key.get(), vendor ? vendor->homeValue : L"JavaHome"));
                }
            }
        }
    };
    for (const REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
        for (const RegistryRoot& root : kRegistryRoots) readHomes(HKEY_LOCAL_MACHINE, root.keyPath, view, nullptr);
    }
    for (const HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (const VendorRoot& root : kVendorRoots) readHomes(hive, root.keyPath, 0, &root);
    }
    return homes;
}

// The names of a folder's subfolders, in the order the file system lists them;
// nothing when the folder cannot be listed.
std::optional<std::vector<std::wstring>> subfolderNames(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const UniqueFind find = UniqueFind(FindFirstFileW((folder + L"*").c_str(), &found));
    if (!find) return std::nullopt;
    std::vector<std::wstring> names;
    do {
        const std::wstring_view name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            names.emplace_back(name);
        }
    } while (FindNextFileW(find.get(), &found));
    return names;
}

// A folder found by the scan: a runtime when it holds a jvm.dll, judged by what
// its "release" file says. No process is started to ask it.
void considerScannedHome(const RuntimeRequest& request, const std::wstring& label, const std::wstring& home,
                         std::vector<RuntimeCandidate>& candidates) {
    if (findJvmLibrary(home, JvmType::defaultVm).empty()) {
        trace("{} -> {} dropped: no bin\\<vm>\\jvm.dll, not a runtime", label, Quoted{home});
        return;
    }
    const std::string release = readFileBytes(home + L"release").value_or(std::string());
    const ReleaseFacts facts = readReleaseFacts(release);
    if (facts.architecture == ReleaseArchitecture::other) {
        trace("{} -> {} dropped: built for {}", label, Quoted{home},
              Quoted{std::wstring(facts.architectureName.begin(), facts.architectureName.end())});
        return;
    }
    std::optional<bool> x86;
    if (facts.architecture != ReleaseArchitecture::unknown) x86 = facts.architecture == ReleaseArchitecture::x86;
    considerHome(request, label, home, HomeFacts{facts.version, facts.kind, facts.provider, x86}, candidates);
}

// The candidate that "Preferred versions" or else the order chooses.
InstalledRuntime chooseRuntime(const std::vector<RuntimeCandidate>& candidates, const RuntimeRequest& request,
                               const char* source) {
    const CandidateChoice choice = chooseCandidate(candidates, request.preferredVersions);
    if (choice.byPreference) {
        trace("{}: preferred version {} chose candidate {}", source, Quoted{choice.matchedPreference},
              choice.index + 1);
    } else {
        trace("{}: no preferred version matched; candidate 1 is chosen", source);
    }
    const RuntimeCandidate& chosen = candidates[choice.index];
    return InstalledRuntime{chosen.homeFolder, chosen.version, chosen.x86};
}

// As with the registry's two views: "Preferred versions" choose among the
// 64-bit candidates while there are any.
InstalledRuntime chooseSixtyFourBitFirst(std::vector<RuntimeCandidate>& candidates, const RuntimeRequest& request,
                                         const char* source) {
    const auto firstX86 = std::ranges::find_if(candidates, &RuntimeCandidate::x86);
    if (firstX86 != candidates.begin()) candidates.erase(firstX86, candidates.end());
    return chooseRuntime(candidates, request, source);
}

void traceCandidates(const std::vector<RuntimeCandidate>& candidates, const char* source) {
    for (size_t i = 0; i < candidates.size(); ++i) {
        trace("{}: candidate {}: {} {}{}{}{}", source, i + 1,
              candidates[i].versionKnown ? fullVersionText(candidates[i].version) : L"(version unknown)",
              Quoted{candidates[i].homeFolder}, candidates[i].favoured ? " favoured" : "",
              candidates[i].serverVm ? " server VM" : "", candidates[i].x86 ? " 32-bit" : "");
    }
}

// Candidates found outside the registry roots, in the roots' order, the 32-bit
// ones after every 64-bit one (or gone without a "Pair Product").
void arrangeCandidates(std::vector<RuntimeCandidate>& candidates, const RuntimeRequest& request, bool pairProductSet,
                       const char* source) {
    orderCandidates(candidates, request.filter.source.favouring, request.jvmType);
    placeThirtyTwoBitCandidates(candidates, pairProductSet, source);
    traceCandidates(candidates, source);
}

} // namespace

std::wstring findJvmLibrary(const std::wstring& homeFolder, JvmType jvmType, bool* serverVm) {
    for (const JvmProbe& probe : jvmProbeOrder(jvmType)) {
        const std::wstring path = homeFolder + probe.relativePath;
        if (pathExists(path)) {
            if (serverVm) *serverVm = probe.serverVm;
            return path;
        }
    }
    return {};
}

std::vector<RuntimeCandidate> findRuntimeCandidates(const RuntimeRequest& request, RegistryView view) {
    trace<TraceTopic::registry>("searching the {} view", viewName(view));
    const REGSAM access = KEY_READ | (view == RegistryView::wow32 ? KEY_WOW64_32KEY : 0);
    std::vector<RuntimeCandidate> candidates;
    for (const RegistryRoot& root : kRegistryRoots) collectCandidates(request, root, access, candidates);
    orderCandidates(candidates, request.filter.source.favouring, request.jvmType);
    traceCandidates(candidates, "registry");
    return candidates;
}

std::optional<InstalledRuntime> searchInstalledRuntimes(const RuntimeRequest& request, RegistryView view) {
    const std::vector<RuntimeCandidate> candidates = findRuntimeCandidates(request, view);
    if (candidates.empty()) {
        trace<TraceTopic::registry>("no candidate in the {} view", viewName(view));
        return std::nullopt;
    }
    return chooseRuntime(candidates, request, "registry");
}

std::vector<RuntimeCandidate> findVendorRuntimeCandidates(const RuntimeRequest& request, const std::wstring& javaHome,
                                                          bool pairProductSet) {
    std::vector<RuntimeCandidate> candidates;
    collectVendorCandidates(request, HKEY_LOCAL_MACHINE, L"HKLM\\", candidates);
    collectVendorCandidates(request, HKEY_CURRENT_USER, L"HKCU\\", candidates);
    if (javaHome.empty()) {
        trace<TraceTopic::vendor>("JAVA_HOME is not set");
    } else {
        considerHome(request, L"vendor: JAVA_HOME " + javaHome, javaHome, HomeFacts{}, candidates);
    }
    arrangeCandidates(candidates, request, pairProductSet, "vendor");
    return candidates;
}

std::optional<InstalledRuntime> searchVendorRuntimes(const RuntimeRequest& request, bool pairProductSet) {
    if (!request.searchVendorRuntimes) {
        trace<TraceTopic::vendor>("not searched (\"Search Vendor Runtimes\" is no)");
        return std::nullopt;
    }
    std::vector<RuntimeCandidate> candidates =
        findVendorRuntimeCandidates(request, environmentVariable(L"JAVA_HOME"), pairProductSet);
    if (candidates.empty()) {
        trace<TraceTopic::vendor>("no candidate in the vendor keys or JAVA_HOME");
        return std::nullopt;
    }
    return chooseSixtyFourBitFirst(candidates, request, "vendor");
}

std::vector<RuntimeCandidate> findScannedRuntimeCandidates(const RuntimeRequest& request, const ScanRoots& roots,
                                                           const std::vector<std::wstring>& registeredHomes,
                                                           bool pairProductSet) {
    std::vector<RuntimeCandidate> candidates;
    for (const ScanPlace& place : runtimeScanPlaces(roots, registeredHomes)) {
        const std::optional<std::vector<std::wstring>> names = subfolderNames(place.folder);
        if (!names) {
            trace<TraceTopic::scan>("{} cannot be listed", Quoted{place.folder});
            continue;
        }
        trace<TraceTopic::scan>("{} has {} subfolder(s)", Quoted{place.folder}, names->size());
        const std::wstring label = L"scan: " + place.folder;
        for (const std::wstring& name : *names) {
            considerScannedHome(request, label, place.folder + name + L"\\" + place.homeBelow, candidates);
        }
    }
    arrangeCandidates(candidates, request, pairProductSet, "scan");
    return candidates;
}

std::optional<InstalledRuntime> searchRuntimeFolders(const RuntimeRequest& request, bool pairProductSet) {
    if (!request.searchVendorRuntimes) {
        trace<TraceTopic::scan>("not run (\"Search Vendor Runtimes\" is no)");
        return std::nullopt;
    }
    const ScanRoots roots{environmentVariable(L"ProgramFiles"), environmentVariable(L"LOCALAPPDATA"),
                          environmentVariable(L"USERPROFILE")};
    std::vector<RuntimeCandidate> candidates =
        findScannedRuntimeCandidates(request, roots, registryNamedHomes(), pairProductSet);
    if (candidates.empty()) {
        trace<TraceTopic::scan>("no candidate in the scanned folders");
        return std::nullopt;
    }
    return chooseSixtyFourBitFirst(candidates, request, "scan");
}

std::optional<std::wstring> findPrivateRuntime(const std::wstring& programFolder) {
    for (const std::wstring& home : {programFolder, programFolder + L"jre64\\"}) {
        if (pathExists(home + L"bin\\java.dll")) {
            trace<TraceTopic::runtime>("private runtime at {}", Quoted{home});
            return home;
        }
    }
    trace<TraceTopic::runtime>("no private runtime (no bin\\java.dll in {} or its jre64\\ folder)",
                               Quoted{programFolder});
    return std::nullopt;
}

void publishRuntimeVariables(const std::wstring& jvmLibraryPath) {
    const std::wstring home = stripPathComponents(jvmLibraryPath, 3);
    SetEnvironmentVariableW(L"VQ_JVM_PATH", jvmLibraryPath.c_str());
    SetEnvironmentVariableW(L"VQ_JVM_HOME", home.c_str());
    trace<TraceTopic::runtime>("VQ_JVM_PATH={}, VQ_JVM_HOME={}", Quoted{jvmLibraryPath}, Quoted{home});
}

ImageBitness jvmImageBitness(const std::wstring& path) {
    UniqueFile file = UniqueFile(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ImageBitness::unusable;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return ImageBitness::unusable;
    const UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return ImageBitness::unusable;
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return ImageBitness::unusable;
    return peImageBitness({static_cast<const uint8_t*>(view.get()), static_cast<size_t>(size.QuadPart)});
}

} // namespace jl
