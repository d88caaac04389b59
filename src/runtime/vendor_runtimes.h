#pragma once
// Where current JDK and JRE installers leave their runtimes outside the classic
// registry roots: their own registry keys and the runtime's "release" file.
// Platform-neutral.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime_selection.h"
#include "types/version.h"

namespace jl {

enum class VendorLayout {
    msi,           // <version>\{hotspot|openj9}\MSI below the root
    versioned,     // <version> below the root
    namedByMajor,  // "zulu-17", "zulu-17-jre", "jdk-21", "jre-8": the "release" file has the version
};

struct VendorRoot {
    const char* keyPath;       // below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, ending in "\"; ASCII
    const wchar_t* homeValue;  // the string value that holds the home folder
    VendorLayout layout;
    RuntimeKind kind;          // of every sub-key, unless the layout names it by major version
};

// Listed in this order in HKEY_LOCAL_MACHINE, then again in HKEY_CURRENT_USER.
extern const VendorRoot kVendorRoots[13];

struct VendorHomeKey {
    std::wstring subKeyPath;  // below the root
    RuntimeProvider provider;
};
// The keys below a root's sub-key that may hold a home value, in listing order.
[[nodiscard]] std::vector<VendorHomeKey> vendorHomeKeys(const VendorRoot& root, std::wstring_view subKeyName);

// Whether a root's sub-key registers a JDK.
[[nodiscard]] bool vendorKeyIsJdk(const VendorRoot& root, std::wstring_view subKeyName);

// JAVA_VERSION="..." from a runtime's "release" file; empty when there is no
// such line or it holds no version.
[[nodiscard]] std::optional<Version> releaseFileVersion(std::string_view text);

// A known version must lie within the bounds; an unknown one is taken only when
// the settings set none.
[[nodiscard]] bool versionSatisfiesBounds(const std::optional<Version>& version, const Version& minimum,
                                          const Version& maximum);

} // namespace jl
