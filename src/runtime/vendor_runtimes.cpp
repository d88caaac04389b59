#include "runtime/vendor_runtimes.h"

#include "runtime/runtime_folders.h"

namespace jl {

const VendorRoot kVendorRoots[13] = {
    {"Software\\Eclipse Adoptium\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {"Software\\Eclipse Adoptium\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {"Software\\Eclipse Foundation\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {"Software\\Eclipse Foundation\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {"Software\\AdoptOpenJDK\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {"Software\\AdoptOpenJDK\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {"Software\\Microsoft\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {"Software\\Microsoft\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {"Software\\Semeru\\JDK\\", L"Path", VendorLayout::msi, RuntimeKind::jdk},
    {"Software\\Semeru\\JRE\\", L"Path", VendorLayout::msi, RuntimeKind::jre},
    {"Software\\Azul Systems\\Zulu\\", L"InstallationPath", VendorLayout::namedByMajor, RuntimeKind::jdk},
    {"Software\\BellSoft\\Liberica\\", L"InstallationPath", VendorLayout::namedByMajor, RuntimeKind::jdk},
    {"Software\\SapMachine\\JDK\\", L"JavaHome", VendorLayout::versioned, RuntimeKind::jdk},
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

std::optional<Version> releaseFileVersion(std::string_view text) { return readReleaseFacts(text).version; }

bool versionSatisfiesBounds(const std::optional<Version>& version, const Version& minimum, const Version& maximum) {
    if (version) return versionInRange(*version, minimum, maximum);
    return minimum == kNoMinimum && maximum == kNoMaximum;
}

} // namespace jl
