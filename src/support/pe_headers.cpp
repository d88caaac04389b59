#include "support/pe_headers.h"

#include "support/little_endian.h"

namespace jl {

namespace {

constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kNtHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr size_t kSignatureSize = 4;
constexpr size_t kFileHeaderSize = 20;

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
