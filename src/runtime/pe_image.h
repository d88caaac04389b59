#pragma once
// Reading a PE image's headers from its bytes, within their bounds.
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

// Which process can load an image: an x64 one loads into this launcher, a 32-bit
// x86 one only into a 32-bit process, and any other into neither.
enum class ImageBitness { x64, x86, unusable };

// The bitness of a whole image: the optional header is the machine's kind, and
// the headers and every section's data end within the bytes. Anything else (no
// PE image, another machine, a file cut short) is unusable.
[[nodiscard]] ImageBitness peImageBitness(const unsigned char* data, size_t size);

} // namespace jl
