#pragma once
// The version information resource (VS_VERSIONINFO) written and read without
// the Windows API. Platform-neutral.

#include <array>
#include <optional>
#include <string_view>
#include <string>
#include <utility>
#include <vector>

#include "pe_file.h"

namespace jlpack {

struct VersionInfo {
    std::uint16_t fileVersion[4] = {};
    std::uint16_t productVersion[4] = {};
    // Name and value pairs of the US English, Unicode string table, in order.
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// "1.2.3.4" (up to four numbers of 0..65535; missing ones are 0), or empty.
[[nodiscard]] std::optional<std::array<std::uint16_t, 4>> parseVersionNumbers(std::string_view text);

[[nodiscard]] Bytes buildVersionResource(const VersionInfo& info);
[[nodiscard]] std::optional<VersionInfo> parseVersionResource(ByteView bytes);

} // namespace jlpack
