#include "runtime/runtime_folders.h"

#include "support/path_text.h"
#include "support/string_text.h"

namespace jl {

namespace {

// The folders the vendors' installers create, under Program Files and under
// LOCALAPPDATA\Programs alike.
constexpr const wchar_t* kVendorFolders[] = {
    L"Eclipse Adoptium", L"Microsoft", L"Zulu", L"BellSoft", L"Amazon Corretto", L"Semeru", L"SapMachine",
};

ReleaseArchitecture architectureOf(std::string_view name) {
    if (name.empty()) return ReleaseArchitecture::unknown;
    static constexpr struct {
        std::string_view name;
        ReleaseArchitecture architecture;
    } kNames[] = {{"amd64", ReleaseArchitecture::x64}, {"x86_64", ReleaseArchitecture::x64},
                  {"x86", ReleaseArchitecture::x86},   {"i386", ReleaseArchitecture::x86},
                  {"i586", ReleaseArchitecture::x86},  {"i686", ReleaseArchitecture::x86}};
    for (const auto& known : kNames) {
        if (name.size() == known.name.size() && containsIgnoringAsciiCase(name, known.name)) return known.architecture;
    }
    return ReleaseArchitecture::other;
}

void addPlace(std::vector<ScanPlace>& places, std::wstring folder, const wchar_t* homeBelow = L"") {
    folder = withTrailingBackslash(std::move(folder));
    for (const ScanPlace& place : places) {
        if (equalsIgnoringAsciiCase(place.folder, folder)) return;
    }
    places.push_back(ScanPlace{std::move(folder), homeBelow});
}

void addVendorPlaces(std::vector<ScanPlace>& places, const std::wstring& base) {
    for (const wchar_t* vendor : kVendorFolders) addPlace(places, base + vendor);
}

} // namespace

std::optional<std::string_view> releaseValue(std::string_view text, std::string_view key) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != '=') continue;
        line.remove_prefix(key.size() + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
        return line.substr(1, line.size() - 2);
    }
    return std::nullopt;
}

ReleaseFacts readReleaseFacts(std::string_view text) {
    ReleaseFacts facts;
    if (const std::optional<std::string_view> value = releaseValue(text, "JAVA_VERSION")) {
        Version version;
        if (parseVersion(std::wstring(value->begin(), value->end()), 0, version)) facts.version = version;
    }
    facts.architectureName = releaseValue(text, "OS_ARCH").value_or("");
    facts.architecture = architectureOf(facts.architectureName);
    // OpenJ9 builds name their VM JVM_VARIANT="Openj9"; IBM's own, IMPLEMENTOR="IBM Corporation".
    if (containsIgnoringAsciiCase(releaseValue(text, "JVM_VARIANT").value_or(""), "openj9") ||
        containsIgnoringAsciiCase(releaseValue(text, "IMPLEMENTOR").value_or(""), "IBM")) {
        facts.provider = RuntimeProvider::ibm;
    }
    const std::string_view imageType = releaseValue(text, "IMAGE_TYPE").value_or("");
    if (imageType.size() == 3 && containsIgnoringAsciiCase(imageType, "JDK")) facts.kind = RuntimeKind::jdk;
    if (imageType.size() == 3 && containsIgnoringAsciiCase(imageType, "JRE")) facts.kind = RuntimeKind::jre;
    return facts;
}

std::vector<ScanPlace> runtimeScanPlaces(const ScanRoots& roots, const std::vector<std::wstring>& registeredHomes) {
    std::vector<ScanPlace> places;
    if (!roots.programFiles.empty()) {
        const std::wstring programFiles = withTrailingBackslash(roots.programFiles);
        addPlace(places, programFiles + L"Java");
        addVendorPlaces(places, programFiles);
    }
    if (!roots.localAppData.empty()) {
        const std::wstring programs = withTrailingBackslash(roots.localAppData) + L"Programs\\";
        addPlace(places, programs);
        addVendorPlaces(places, programs);
    }
    if (!roots.userProfile.empty()) {
        const std::wstring profile = withTrailingBackslash(roots.userProfile);
        addPlace(places, profile + L".jdks");
        addPlace(places, profile + L"scoop\\apps", L"current\\");
        addPlace(places, profile + L".gradle\\jdks");
    }
    for (std::wstring home : registeredHomes) {
        while (!home.empty() && home.back() == L'\\') home.pop_back();
        const std::wstring parent = folderWithBackslash(home);
        // A drive's root is no installers' folder: scanning it would read a whole drive's top.
        if (parent.size() > 3 && hasDriveOrUncForm(parent)) addPlace(places, parent);
    }
    return places;
}

} // namespace jl
