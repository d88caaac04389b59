#pragma once
// Java version numbers: parsing, comparison, bounds, preferred-version patterns
// and printing. Platform-neutral.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jl {

struct Version {
    std::array<int32_t, 4> parts{0, 0, 0, 0};
    friend bool operator==(const Version&, const Version&) = default;
};

inline constexpr int32_t kOpenPart = 65535;
inline constexpr Version kNoMinimum{{0, 0, 0, 0}};
inline constexpr Version kNoMaximum{{kOpenPart, kOpenPart, kOpenPart, kOpenPart}};

// Reads up to four runs of digits, skipping whatever stands between them; parts
// without a run get the fill value. Fails (leaving 0.0.0.0) on a text without
// digits or a run above 2147483647.
bool parseVersion(std::wstring_view text, int32_t fill, Version& version);

[[nodiscard]] int compareVersions(const Version& a, const Version& b);
[[nodiscard]] bool versionInRange(const Version& version, const Version& minimum, const Version& maximum);
// Trailing zero parts of the pattern are wildcards; 0.0.0.0 matches everything.
[[nodiscard]] bool versionMatchesPattern(const Version& version, const Version& pattern);
[[nodiscard]] bool isOpenBound(const Version& version);
// All four parts, a.b.c.d, as the trace shows them.
[[nodiscard]] std::wstring fullVersionText(const Version& version);
// Short form: trailing 0 and 65535 parts dropped, at least two parts printed.
[[nodiscard]] std::wstring formatVersion(const Version& version);

// Which string-table phrase describes the configured bounds, with its arguments.
struct VersionRequirementText {
    unsigned messageId = 0;
    std::vector<std::wstring> arguments;
};
[[nodiscard]] VersionRequirementText versionRequirementText(const Version& minimum, const Version& maximum);

} // namespace jl
