#pragma once
// Turning fuzzer bytes into the texts the parsers take. wchar_t is 32 bits here
// but 16 on Windows, so wide text is built from 16-bit little-endian units, the
// way the launcher meets it there.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace jlfuzz {

[[nodiscard]] inline std::wstring wideText(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return text;
}

// A wide text of up to maxUnits units taken from the provider.
[[nodiscard]] inline std::wstring wideText(FuzzedDataProvider& input, size_t maxUnits = 4096) {
    const std::string bytes = input.ConsumeRandomLengthString(maxUnits * 2);
    return wideText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Stops the run on a broken property, with the input kept as a crash artifact.
inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace jlfuzz
