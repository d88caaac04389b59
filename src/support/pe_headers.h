#pragma once
// The start of every PE image: the DOS header, the "PE\0\0" signature it points
// at and the file header after it, read from the image's bytes within their
// bounds. Platform-neutral: the launcher reads a runtime's jvm.dll with it, and
// jlpack the launcher it packs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace jl {

inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
// The optional header's Subsystem values a launcher is built with.
inline constexpr uint16_t kSubsystemWindowsGui = 2;
inline constexpr uint16_t kSubsystemWindowsConsole = 3;
// Where the Subsystem field sits in the optional header: the same for PE32 and PE32+.
inline constexpr size_t kSubsystemFieldOffset = 68;

struct PeFileHeader {
    uint32_t signatureOffset = 0;  // of "PE\0\0" (the DOS header's e_lfanew)
    uint16_t machine = 0;
    // The rest of the file header, read only when all of its 20 bytes lie within the data.
    bool complete = false;
    uint16_t sectionCount = 0;
    uint16_t optionalHeaderSize = 0;

    [[nodiscard]] size_t optionalHeaderOffset() const { return size_t{signatureOffset} + 24; }
};

// True when the bytes start with a whole DOS header (64 bytes from "MZ").
[[nodiscard]] bool hasDosHeader(std::span<const uint8_t> bytes);

// The file header of a PE image, or empty when the bytes are not one: no DOS
// header, or the signature and the Machine field after it not within the bytes.
[[nodiscard]] std::optional<PeFileHeader> readPeFileHeader(std::span<const uint8_t> bytes);

// Which process can load an image: an x64 one loads into this launcher, a 32-bit
// x86 one only into a 32-bit process, and any other into neither.
enum class ImageBitness { x64, x86, unusable };

// The bitness of a whole image: the optional header is the machine's kind, and
// the headers and every section's data end within the bytes. Anything else (no
// PE image, another machine, a file cut short) is unusable.
[[nodiscard]] ImageBitness peImageBitness(std::span<const uint8_t> bytes);

// The optional header's Subsystem field, or empty when the image has no
// optional header that reaches it.
[[nodiscard]] std::optional<uint16_t> readPeSubsystem(std::span<const uint8_t> bytes);
// Where that field lies in the image's bytes, for a tool that changes it; empty as above.
[[nodiscard]] std::optional<size_t> peSubsystemOffset(std::span<const uint8_t> bytes);

} // namespace jl
