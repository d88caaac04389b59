#pragma once
// The text side of the per-application class-data archive: whether a runtime's
// "release" file promises the dynamic archive options, and the archive's name
// from its key. Platform-neutral.

#include <cstdint>
#include <string>
#include <string_view>

namespace jl {

// HotSpot takes -XX:ArchiveClassesAtExit and -XX:SharedArchiveFile from 13 on.
inline constexpr int kFirstDynamicArchiveRelease = 13;

// Why the runtime cannot keep an archive, or null when it can: its "release"
// file must name a version of 13 or later and no other virtual machine than HotSpot.
[[nodiscard]] const char* dynamicArchiveRefusal(std::string_view releaseText);

// A 64-bit FNV-1a digest of the key's UTF-16 code units.
[[nodiscard]] uint64_t archiveKeyDigest(std::wstring_view key);

// "<base>-<16 hex digits>.jsa": the digest in the name, so an archive is only
// ever found by the key it was made for.
[[nodiscard]] std::wstring archiveFileName(std::wstring_view base, uint64_t digest);

} // namespace jl
