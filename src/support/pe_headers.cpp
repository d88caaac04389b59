#include "support/pe_headers.h"

#include "support/little_endian.h"

namespace jl {

namespace {

constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kNtHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr size_t kSignatureSize = 4;
constexpr size_t kFileHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSizeOfHeadersField = 60;  // at the same place in both kinds of optional header
constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;

// The loader maps the headers and every section from the file: an image whose
// data end early, or whose optional header is of the other kind, does not load.
bool imageIsWhole(std::span<const uint8_t> bytes, const PeFileHeader& header, uint32_t optionalMagic) {
    const uint64_t size = bytes.size();
    const uint64_t optional = header.optionalHeaderOffset();
    if (!header.complete || header.optionalHeaderSize < kSizeOfHeadersField + 4 ||
        optional + header.optionalHeaderSize > size) {
        return false;
    }
    if (readLittleEndian16(bytes, optional) != optionalMagic) return false;
    if (readLittleEndian32(bytes, optional + kSizeOfHeadersField) > size) return false;
    const uint64_t sections = optional + header.optionalHeaderSize;
    if (sections + header.sectionCount * kSectionHeaderSize > size) return false;
    for (uint32_t i = 0; i < header.sectionCount; ++i) {
        const size_t section = sections + i * kSectionHeaderSize;
        const uint64_t rawSize = readLittleEndian32(bytes, section + 16);
        if (rawSize != 0 && readLittleEndian32(bytes, section + 20) + rawSize > size) return false;
    }
    return true;
}

} // namespace

bool hasDosHeader(std::span<const uint8_t> bytes) {
    return bytes.size() >= kDosHeaderSize && bytes[0] == 'M' && bytes[1] == 'Z';
}

std::optional<PeFileHeader> readPeFileHeader(std::span<const uint8_t> bytes) {
    if (!hasDosHeader(bytes)) return std::nullopt;
    PeFileHeader header;
    header.signatureOffset = readLittleEndian32(bytes, kNtHeaderOffsetField);
    const size_t at = header.signatureOffset;
    // The signature and the file header's Machine field (2 bytes) must fit.
    if (at > bytes.size() || bytes.size() - at < kSignatureSize + 2) return std::nullopt;
    if (bytes[at] != 'P' || bytes[at + 1] != 'E' || bytes[at + 2] != 0 || bytes[at + 3] != 0) return std::nullopt;
    header.machine = readLittleEndian16(bytes, at + 4);
    header.complete = bytes.size() - at >= kSignatureSize + kFileHeaderSize;
    if (header.complete) {
        header.sectionCount = readLittleEndian16(bytes, at + 6);
        header.optionalHeaderSize = readLittleEndian16(bytes, at + 20);
    }
    return header;
}

ImageBitness peImageBitness(std::span<const uint8_t> bytes) {
    const std::optional<PeFileHeader> header = readPeFileHeader(bytes);
    if (!header) return ImageBitness::unusable;
    if (header->machine == kMachineAmd64 && imageIsWhole(bytes, *header, kPe32PlusMagic)) return ImageBitness::x64;
    if (header->machine == kMachineI386 && imageIsWhole(bytes, *header, kPe32Magic)) return ImageBitness::x86;
    return ImageBitness::unusable;
}

std::optional<size_t> peSubsystemOffset(std::span<const uint8_t> bytes) {
    const std::optional<PeFileHeader> header = readPeFileHeader(bytes);
    if (!header || !header->complete || header->optionalHeaderSize < kSubsystemFieldOffset + 2) return std::nullopt;
    const size_t at = header->optionalHeaderOffset() + kSubsystemFieldOffset;
    if (at > bytes.size() || bytes.size() - at < 2) return std::nullopt;
    return at;
}

std::optional<uint16_t> readPeSubsystem(std::span<const uint8_t> bytes) {
    const std::optional<size_t> at = peSubsystemOffset(bytes);
    if (!at) return std::nullopt;
    return readLittleEndian16(bytes, *at);
}

} // namespace jl
