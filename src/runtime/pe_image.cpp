#include "runtime/pe_image.h"

namespace jl {

namespace {

constexpr size_t kNtHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr size_t kDosHeaderSize = 0x40;
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSizeOfHeadersField = 60;  // at the same place in both kinds of optional header
constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;

uint32_t readLittleEndian(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
    return value;
}

// The loader maps the headers and every section from the file: an image whose
// data end early, or whose optional header is of the other kind, does not load.
bool imageIsWhole(const unsigned char* data, size_t size, uint32_t optionalMagic) {
    const uint64_t fileHeader = uint64_t{readLittleEndian(data + kNtHeaderOffsetField, 4)} + 4;
    if (fileHeader + kFileHeaderSize > size) return false;
    const uint32_t sectionCount = readLittleEndian(data + fileHeader + 2, 2);
    const uint32_t optionalSize = readLittleEndian(data + fileHeader + 16, 2);
    const uint64_t optional = fileHeader + kFileHeaderSize;
    if (optionalSize < kSizeOfHeadersField + 4 || optional + optionalSize > size) return false;
    if (readLittleEndian(data + optional, 2) != optionalMagic) return false;
    if (readLittleEndian(data + optional + kSizeOfHeadersField, 4) > size) return false;
    const uint64_t sections = optional + optionalSize;
    if (sections + sectionCount * kSectionHeaderSize > size) return false;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const unsigned char* section = data + sections + i * kSectionHeaderSize;
        const uint64_t rawSize = readLittleEndian(section + 16, 4);
        if (rawSize != 0 && readLittleEndian(section + 20, 4) + rawSize > size) return false;
    }
    return true;
}

} // namespace

std::optional<uint16_t> peImageMachine(const unsigned char* data, size_t size) {
    if (!data || size < kDosHeaderSize) return std::nullopt;
    if (data[0] != 'M' || data[1] != 'Z') return std::nullopt;
    const uint32_t ntOffset = readLittleEndian(data + kNtHeaderOffsetField, 4);
    // Signature (4 bytes) and the file header's Machine field (2 bytes) must fit.
    if (ntOffset > size || size - ntOffset < 6) return std::nullopt;
    const unsigned char* nt = data + ntOffset;
    if (nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0) return std::nullopt;
    return static_cast<uint16_t>(readLittleEndian(nt + 4, 2));
}

ImageBitness peImageBitness(const unsigned char* data, size_t size) {
    const std::optional<uint16_t> machine = peImageMachine(data, size);
    if (machine == kMachineAmd64 && imageIsWhole(data, size, kPe32PlusMagic)) return ImageBitness::x64;
    if (machine == kMachineI386 && imageIsWhole(data, size, kPe32Magic)) return ImageBitness::x86;
    return ImageBitness::unusable;
}

} // namespace jl
