#pragma once
// The "Virtual Machine Parameters" text: splitting, quotes, and the memory sizes
// that may be given relative to the machine's memory. Platform-neutral.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jl {

// Parameters separated by spaces outside quoted stretches, quotes kept.
[[nodiscard]] std::vector<std::wstring> splitVmParameters(std::wstring_view text);
// Removes the quotes of each quoted stretch; a doubled closing quote leaves one
// literal quote, an unpaired quote stays with everything after it.
void removeQuotes(std::wstring& parameter);

struct SizeFields {
    size_t prefixLength = 0;
    size_t count = 0;  // every field, even past the ones kept
    uint64_t numbers[3] = {};  // the first three; no reader needs more
};
// The prefix before the first digit or ":", then ":"-separated numbers up to, not
// including, the last character. Numbers stop growing at the largest value
// rather than wrap around.
[[nodiscard]] SizeFields parseSizeFields(std::wstring_view text);

// "-Xms", "-Xmx" or "-Xss" ending in P, p, T or t.
[[nodiscard]] bool isRelativeMemoryOption(std::wstring_view parameter);

struct MachineMemory {
    uint64_t totalPhysical = 0;     // bytes
    uint64_t availableVirtual = 0;  // bytes
};
// prefix + size in KiB + "K": percent of the chosen memory, then the maximum and
// the minimum (in MiB) applied in that order. A size beyond the unsigned 64-bit
// range stays at the largest value instead of wrapping to a small one.
[[nodiscard]] std::wstring resolveRelativeMemoryOption(std::wstring_view parameter, const MachineMemory& memory);

// Bytes for the text after "-Xss": digits with an optional k/m/g unit; 0 when the
// text has no usable form.
[[nodiscard]] uint64_t parseStackSize(std::wstring_view text);

} // namespace jl
