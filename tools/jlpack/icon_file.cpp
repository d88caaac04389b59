#include "icon_file.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace jlpack {

namespace {

std::uint32_t read32BigEndian(ByteView b, size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

bool fail(std::string* problem, std::string text) {
    if (problem) *problem = std::move(text);
    return false;
}

// Reads the image's true size from its PNG or bitmap header.
bool readImageHeader(IconImage& image, std::string* problem) {
    const ByteView data = image.data;
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::int64_t width = 0, height = 0;
    if (data.size() >= 8 && std::memcmp(data.data(), kPngSignature, 8) == 0) {
        if (data.size() < 24 || std::memcmp(&data[12], "IHDR", 4) != 0) return fail(problem, "a PNG image has no IHDR header");
        image.png = true;
        width = read32BigEndian(data, 16);
        height = read32BigEndian(data, 20);
    } else {
        if (data.size() < 40 || readLittleEndian32(data, 0) < 40) return fail(problem, "an image is neither PNG nor a bitmap");
        width = static_cast<std::int32_t>(readLittleEndian32(data, 4));
        // The bitmap's height counts the colour and the mask rows.
        height = static_cast<std::int32_t>(readLittleEndian32(data, 8)) / 2;
        image.planes = readLittleEndian16(data, 12);
        image.bitCount = readLittleEndian16(data, 14);
    }
    if (width <= 0 || height <= 0) return fail(problem, "an image has no size");
    if (width > kMaxIconSide || height > kMaxIconSide) {
        return fail(problem, "an image is " + std::to_string(width) + "x" + std::to_string(height) +
                                 ", larger than Windows shows icons (256x256)");
    }
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    return true;
}

} // namespace

std::optional<std::vector<IconImage>> parseIconFile(ByteView bytes, std::string* problem) {
    if (bytes.size() < 6 || readLittleEndian16(bytes, 0) != 0 || readLittleEndian16(bytes, 2) != 1) {
        fail(problem, "it is not an icon file (bad header)");
        return std::nullopt;
    }
    const size_t count = readLittleEndian16(bytes, 4);
    if (count == 0) {
        fail(problem, "it holds no images");
        return std::nullopt;
    }
    if (count > 64) {
        fail(problem, "it holds " + std::to_string(count) + " images, more than an icon needs");
        return std::nullopt;
    }
    if (6 + count * 16 > bytes.size()) {
        fail(problem, "it is truncated (its directory runs past the end)");
        return std::nullopt;
    }
    std::vector<IconImage> images;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 6 + i * 16;
        const std::uint32_t size = readLittleEndian32(bytes, entry + 8), offset = readLittleEndian32(bytes, entry + 12);
        if (size > kMaxIconImageBytes) {
            fail(problem, "an image is " + std::to_string(size) + " bytes, more than icons need");
            return std::nullopt;
        }
        if (offset > bytes.size() || size > bytes.size() - offset) {
            fail(problem, "it is truncated (an image runs past the end)");
            return std::nullopt;
        }
        IconImage image;
        image.colourCount = bytes[entry + 2];
        image.planes = readLittleEndian16(bytes, entry + 4);
        image.bitCount = readLittleEndian16(bytes, entry + 6);
        image.data.assign(bytes.begin() + offset, bytes.begin() + offset + size);
        if (!readImageHeader(image, problem)) return std::nullopt;
        images.push_back(std::move(image));
    }
    return images;
}

std::vector<IconImage> iconGroupImages(const ResourceTable& resources, const Resource& group) {
    std::vector<IconImage> images;
    const ByteView data = group.data;
    if (data.size() < 6) return images;
    const size_t count = readLittleEndian16(data, 4);
    for (size_t i = 0; i < count && 6 + (i + 1) * 14 <= data.size(); ++i) {
        const size_t entry = 6 + i * 14;
        const Resource* icon = resources.find(kRtIcon, readLittleEndian16(data, entry + 12));
        if (!icon) continue;
        IconImage image;
        image.data = icon->data;
        image.bitCount = readLittleEndian16(data, entry + 6);
        if (!readImageHeader(image, nullptr)) continue;
        images.push_back(std::move(image));
    }
    return images;
}

void replaceProgramIcon(ResourceTable& resources, const std::vector<IconImage>& images) {
    const std::vector<const Resource*> groups = resources.ofType(kRtGroupIcon);
    ResourceName groupName = ResourceName::number(1);
    std::uint16_t language = 0;
    std::set<std::uint16_t> keep, drop;
    for (size_t g = 0; g < groups.size(); ++g) {
        const ByteView data = groups[g]->data;
        const size_t count = data.size() >= 6 ? readLittleEndian16(data, 4) : 0;
        for (size_t i = 0; i < count && 6 + (i + 1) * 14 <= data.size(); ++i) {
            (g == 0 ? drop : keep).insert(readLittleEndian16(data, 6 + i * 14 + 12));
        }
    }
    if (!groups.empty()) {
        groupName = groups[0]->name;
        language = groups[0]->language;
        resources.remove(kRtGroupIcon, groupName);
    }
    for (std::uint16_t id : drop) {
        if (!keep.count(id)) resources.remove(kRtIcon, ResourceName::number(id));
    }

    Bytes group;
    appendLittleEndian16(group, 0);
    appendLittleEndian16(group, 1);
    appendLittleEndian16(group, static_cast<std::uint32_t>(images.size()));
    std::uint16_t nextId = 1;
    for (const IconImage& image : images) {
        while (resources.find(kRtIcon, nextId)) ++nextId;
        group.push_back(static_cast<std::uint8_t>(image.width >= 256 ? 0 : image.width));
        group.push_back(static_cast<std::uint8_t>(image.height >= 256 ? 0 : image.height));
        group.push_back(image.colourCount);
        group.push_back(0);
        appendLittleEndian16(group, image.planes);
        appendLittleEndian16(group, image.bitCount);
        appendLittleEndian32(group, static_cast<std::uint32_t>(image.data.size()));
        appendLittleEndian16(group, nextId);
        resources.put({ResourceName::number(kRtIcon), ResourceName::number(nextId), language, 0, image.data});
        ++nextId;
    }
    resources.put({ResourceName::number(kRtGroupIcon), groupName, language, 0, std::move(group)});
}

} // namespace jlpack
