#include "rig/pe_samples.h"

#include "icon_file.h"

namespace jltest {

namespace {

using jlpack::Bytes;

void put16(Bytes& b, size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

jlpack::Resource resource(std::uint16_t type, std::uint16_t id, std::string_view text) {
    return {jlpack::ResourceName::number(type), jlpack::ResourceName::number(id), 0, 0, Bytes(text.begin(), text.end())};
}

} // namespace

Bytes sampleImage(const jlpack::ResourceTable& resources) {
    constexpr std::uint32_t kResourceRva = 0x1000, kOptional = 64 + 24, kSections = kOptional + 240;
    const Bytes section = jlpack::buildResourceSection(resources, kResourceRva);
    const std::uint32_t rawSize = static_cast<std::uint32_t>((section.size() + 511) / 512 * 512);
    const std::uint32_t relocRva = kResourceRva + (static_cast<std::uint32_t>(section.size()) + 0xFFF) / 0x1000 * 0x1000;
    Bytes image(0x200, 0);
    image[0] = 'M';
    image[1] = 'Z';
    put32(image, 0x3C, 64);
    image[64] = 'P';
    image[65] = 'E';
    put16(image, 68, 0x8664);
    put16(image, 70, 2);
    put16(image, 84, 240);
    put16(image, kOptional, 0x20B);
    put32(image, kOptional + 32, 0x1000);
    put32(image, kOptional + 36, 0x200);
    put32(image, kOptional + 56, relocRva + 0x1000);
    put32(image, kOptional + 60, 0x200);
    put32(image, kOptional + 108, 16);
    put32(image, kOptional + 112 + 2 * 8, kResourceRva);
    put32(image, kOptional + 112 + 2 * 8 + 4, static_cast<std::uint32_t>(section.size()));
    put32(image, kOptional + 112 + 5 * 8, relocRva);
    put32(image, kOptional + 112 + 5 * 8 + 4, 12);
    const struct { const char* name; std::uint32_t virtualSize, rva, rawSize, raw; } headers[] = {
        {".rsrc", static_cast<std::uint32_t>(section.size()), kResourceRva, rawSize, 0x200},
        {".reloc", 12, relocRva, 0x200, 0x200 + rawSize}};
    for (int i = 0; i < 2; ++i) {
        const size_t at = kSections + i * 40;
        for (size_t c = 0; headers[i].name[c]; ++c) image[at + c] = static_cast<std::uint8_t>(headers[i].name[c]);
        put32(image, at + 8, headers[i].virtualSize);
        put32(image, at + 12, headers[i].rva);
        put32(image, at + 16, headers[i].rawSize);
        put32(image, at + 20, headers[i].raw);
    }
    image.insert(image.end(), section.begin(), section.end());
    image.resize(0x200 + rawSize, 0);
    const Bytes relocations = {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0};
    image.insert(image.end(), relocations.begin(), relocations.end());
    image.resize(0x200 + rawSize + 0x200, 0);
    return image;
}

jlpack::ResourceTable sampleLauncherResources() {
    jlpack::ResourceTable resources;
    resources.put(resource(jlpack::kRtManifest, 1,
                           "<assembly><trustInfo><security><requestedPrivileges>"
                           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"
                           "</requestedPrivileges></security></trustInfo></assembly>"));
    resources.put(resource(jlpack::kRtVersion, 1, "old version"));
    resources.put(resource(5, 201, "dialog"));
    resources.put(resource(jlpack::kRtString, 14, "strings"));
    jlpack::replaceProgramIcon(resources, *jlpack::parseIconFile(sampleIconFile({16, 32})));
    return resources;
}

Bytes sampleIconFile(std::initializer_list<std::uint32_t> sides, std::uint32_t pngSide) {
    std::vector<Bytes> images;
    for (std::uint32_t side : sides) {
        Bytes bitmap(40, 0);
        put32(bitmap, 0, 40);
        if (side == 0) {
            bitmap = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
            bitmap.resize(33, 0);
            bitmap[16] = static_cast<std::uint8_t>(pngSide >> 24);
            bitmap[17] = static_cast<std::uint8_t>(pngSide >> 16);
            bitmap[18] = static_cast<std::uint8_t>(pngSide >> 8);
            bitmap[19] = static_cast<std::uint8_t>(pngSide);
            for (int i = 0; i < 4; ++i) bitmap[20 + i] = bitmap[16 + i];
        } else {
            put32(bitmap, 4, side);
            put32(bitmap, 8, side * 2);
            put16(bitmap, 12, 1);
            put16(bitmap, 14, 32);
            bitmap.resize(40 + side * side * 4 + side * ((side + 31) / 32 * 4), 0x7F);
        }
        images.push_back(std::move(bitmap));
    }
    Bytes file(6 + images.size() * 16, 0);
    put16(file, 2, 1);
    put16(file, 4, static_cast<std::uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const size_t entry = 6 + i * 16;
        put16(file, entry + 4, 1);
        put16(file, entry + 6, 32);
        put32(file, entry + 8, static_cast<std::uint32_t>(images[i].size()));
        put32(file, entry + 12, static_cast<std::uint32_t>(file.size()));
        file.insert(file.end(), images[i].begin(), images[i].end());
    }
    return file;
}

std::string withMachine(std::string image, std::uint16_t machine) {
    const std::uint32_t nt = *reinterpret_cast<const std::uint32_t*>(image.data() + 0x3C);
    image[nt + 4] = static_cast<char>(machine & 0xFF);
    image[nt + 5] = static_cast<char>(machine >> 8);
    return image;
}

std::string unloadableX64Image() {
    constexpr std::uint32_t kOptional = 64 + 24;
    Bytes image(0x200, 0);
    image[0] = 'M';
    image[1] = 'Z';
    put32(image, 0x3C, 64);
    image[64] = 'P';
    image[65] = 'E';
    put16(image, 68, 0x8664);
    put16(image, 84, 240);
    put16(image, 86, 0x2022);  // an executable, large-address-aware DLL
    put16(image, kOptional, 0x20B);
    put32(image, kOptional + 60, 0x200);  // SizeOfHeaders: the whole file
    return std::string(image.begin(), image.end());
}

std::vector<unsigned char> peHeaders(std::uint32_t ntOffset, std::uint16_t machine, size_t size) {
    std::vector<unsigned char> image(size, 0);
    image[0] = 'M';
    image[1] = 'Z';
    for (int i = 0; i < 4; ++i) image[0x3C + i] = static_cast<unsigned char>(ntOffset >> (8 * i));
    if (ntOffset + 6 <= size) {
        image[ntOffset] = 'P';
        image[ntOffset + 1] = 'E';
        image[ntOffset + 4] = static_cast<unsigned char>(machine);
        image[ntOffset + 5] = static_cast<unsigned char>(machine >> 8);
    }
    return image;
}

} // namespace jltest
