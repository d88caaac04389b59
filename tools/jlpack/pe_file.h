#pragma once
// A 64-bit Windows image read from bytes, its resource tree, and the image
// written again with a new resource section. Platform-neutral: no Windows API,
// so jlpack packs the same way on Linux and Windows, and the readers can be fuzzed
// (bytes in, a parsed result or empty out).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/little_endian.h"

namespace jlpack {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// PE images, icon directories and version resources store their numbers
// little-endian.
using jl::appendLittleEndian16;
using jl::appendLittleEndian32;
using jl::readLittleEndian16;
using jl::readLittleEndian32;

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtString = 6;
inline constexpr std::uint16_t kRtRcdata = 10;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;
inline constexpr std::uint16_t kRtManifest = 24;

// A resource type or name: a number, or a UTF-16 text when `named`.
struct ResourceName {
    bool named = false;
    std::uint16_t id = 0;
    std::u16string text;

    static ResourceName number(std::uint16_t id) { return {false, id, {}}; }
    friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

struct Resource {
    ResourceName type;
    ResourceName name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    Bytes data;
};

// The image's resources in the order the resource directory sorts them.
class ResourceTable {
public:
    [[nodiscard]] const std::vector<Resource>& all() const { return resources_; }
    [[nodiscard]] const Resource* find(std::uint16_t type, std::uint16_t id) const;
    [[nodiscard]] std::vector<const Resource*> ofType(std::uint16_t type) const;
    // Adds the resource or replaces the one with the same type, name and language.
    void put(Resource resource);
    void remove(std::uint16_t type, const ResourceName& name);

private:
    std::vector<Resource> resources_;
};

struct PeSection {
    std::string name;
    std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0;
};

struct PeImage {
    Bytes bytes;
    std::uint32_t optionalHeaderOffset = 0, sectionTableOffset = 0;
    std::uint32_t fileAlignment = 0, sectionAlignment = 0;
    std::vector<PeSection> sections;
    size_t resourceSection = 0;
    ResourceTable resources;
};

// The image when it is a 64-bit Windows executable whose resource section jlpack
// can rewrite; otherwise empty, with the reason in `problem` when given.
[[nodiscard]] std::optional<PeImage> parsePeImage(ByteView bytes, std::string* problem = nullptr);

// The resource section's bytes for a section placed at `sectionRva`.
[[nodiscard]] Bytes buildResourceSection(const ResourceTable& resources, std::uint32_t sectionRva);

// The image with its resource section replaced by these resources; every byte
// before the resource section stays, later sections move up or down, and the
// header's sizes and checksum follow.
[[nodiscard]] Bytes rewriteImage(const PeImage& image, const ResourceTable& resources);

// The checksum CheckSumMappedFile computes, with the header's own checksum field
// (at `checksumOffset`) counted as zero.
[[nodiscard]] std::uint32_t peChecksum(ByteView bytes, size_t checksumOffset);

} // namespace jlpack
