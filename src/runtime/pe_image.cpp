#include "runtime/pe_image.h"

namespace jl {

namespace {

constexpr size_t kNtHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr size_t kDosHeaderSize = 0x40;

uint32_t readLittleEndian(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
    return value;
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

} // namespace jl
