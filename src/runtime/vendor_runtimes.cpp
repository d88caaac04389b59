#include "runtime/vendor_runtimes.h"

namespace jl {

const VendorRoot kVendorRoots[13] = {
    {L"Software\\Eclipse Adoptium\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {L"Software\\Eclipse Adoptium\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {L"Software\\Eclipse Foundation\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {L"Software\\Eclipse Foundation\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {L"Software\\AdoptOpenJDK\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {L"Software\\AdoptOpenJDK\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {L"Software\\Microsoft\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {L"Software\\Microsoft\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {L"Software\\Semeru\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {L"Software\\Semeru\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {L"Software\\Azul Systems\\Zulu\\", L"InstallationPath", VendorLayout::namedByMajor, RuntimeKind::jdk},
    {L"Software\\BellSoft\\Liberica\\", L"InstallationPath", VendorLayout::namedByMajor, RuntimeKind::jdk},
    {L"Software\\SapMachine\\JDK\\", L"JavaHome", VendorLayout::versioned, RuntimeKind::jdk},
};

std::vector<VendorHomeKey> vendorHomeKeys(const VendorRoot& root, std::wstring_view subKeyName) {
    const std::wstring name(subKeyName);
    if (root.layout != VendorLayout::msi) return {{name, RuntimeProvider::sun}};
    return {{name + L"\\hotspot\\MSI", RuntimeProvider::sun}, {name + L"\\openj9\\MSI", RuntimeProvider::ibm}};
}

bool vendorKeyIsJdk(const VendorRoot& root, std::wstring_view subKeyName) {
    if (root.layout != VendorLayout::namedByMajor) return root.kind == RuntimeKind::jdk;
    return subKeyName.find(L"jre") == std::wstring_view::npos;
}

std::optional<Version> releaseFileVersion(std::string_view text) {
    constexpr std::string_view kKey = "JAVA_VERSION=";
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(kKey)) continue;
        line.remove_prefix(kKey.size());
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
        const std::wstring value(line.begin() + 1, line.end() - 1);
        Version version;
        if (!parseVersion(value, 0, version)) return std::nullopt;
        return version;
    }
    return std::nullopt;
}

bool versionSatisfiesBounds(const std::optional<Version>& version, const Version& minimum, const Version& maximum) {
    if (version) return versionInRange(*version, minimum, maximum);
    return minimum == kNoMinimum && maximum == kNoMaximum;
}

} // namespace jl
