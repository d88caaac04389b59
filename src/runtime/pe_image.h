#pragma once
// Reading the machine type of a PE image from its bytes, within their bounds.
// Platform-neutral.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace jl {

inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

// The file header's Machine field, or empty when the bytes are not a PE image
// (no "MZ", NT headers outside the data, no "PE\0\0" signature).
[[nodiscard]] std::optional<uint16_t> peImageMachine(const unsigned char* data, size_t size);

} // namespace jl
