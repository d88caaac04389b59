#pragma once
// .ico files and the icon resources made from them. Platform-neutral.

#include <optional>
#include <string>
#include <vector>

#include "pe_file.h"

namespace jlpack {

// Larger images are refused: Windows shows no icon above 256×256.
inline constexpr std::uint32_t kMaxIconSide = 256;
inline constexpr size_t kMaxIconImageBytes = 1 << 20;

struct IconImage {
    std::uint32_t width = 0, height = 0;
    std::uint8_t colourCount = 0;
    std::uint16_t planes = 0, bitCount = 0;
    bool png = false;
    Bytes data;
};

// Every image of the .ico file, or empty with the reason in `problem`.
[[nodiscard]] std::optional<std::vector<IconImage>> parseIconFile(ByteView bytes, std::string* problem = nullptr);

// The images an icon group resource names, found among `resources`.
[[nodiscard]] std::vector<IconImage> iconGroupImages(const ResourceTable& resources, const Resource& group);

// Replaces the first icon group (the program's own icon, keeping its name and
// language) and the images only it used with these images.
void replaceProgramIcon(ResourceTable& resources, const std::vector<IconImage>& images);

} // namespace jlpack
