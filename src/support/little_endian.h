#pragma once
// Little-endian numbers in bytes, as PE images, icon files and version resources
// store them. Platform-neutral. The caller checks that the bytes hold them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace jl {

[[nodiscard]] inline uint16_t readLittleEndian16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

[[nodiscard]] inline uint32_t readLittleEndian32(std::span<const uint8_t> bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

inline void appendLittleEndian16(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

inline void appendLittleEndian32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace jl
