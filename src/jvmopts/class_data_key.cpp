#include "jvmopts/class_data_key.h"

#include <optional>

#include "runtime/vendor_runtimes.h"
#include "support/string_text.h"
#include "types/version.h"

namespace jl {

const char* dynamicArchiveRefusal(std::string_view releaseText) {
    const std::optional<Version> version = releaseFileVersion(releaseText);
    if (!version) return "its \"release\" file names no JAVA_VERSION";
    if (version->parts[0] < kFirstDynamicArchiveRelease) return "its version is older than 13";
    // OpenJ9 builds say so in JVM_VARIANT, JVM_NAME or IMPLEMENTOR; its own
    // class sharing takes other options.
    if (containsIgnoringAsciiCase(releaseText, "openj9")) return "its virtual machine is not HotSpot";
    return nullptr;
}

uint64_t archiveKeyDigest(std::wstring_view key) {
    uint64_t digest = 14695981039346656037ULL;
    for (const wchar_t c : key) {
        digest ^= static_cast<uint64_t>(c);
        digest *= 1099511628211ULL;
    }
    return digest;
}

std::wstring archiveFileName(std::wstring_view base, uint64_t digest) {
    std::wstring name(base);
    name += L'-';
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(digest >> shift) & 0xF];
    name += L".jsa";
    return name;
}

} // namespace jl
