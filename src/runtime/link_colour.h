#pragma once
// The link colours as the browser settings store them ("R,G,B"). No Windows here:
// this also builds natively.

#include <cstdint>
#include <optional>
#include <string_view>

namespace jl {

struct RgbColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const RgbColour&) const = default;
};

// "R,G,B" of at most 11 characters: three non-empty runs of decimal digits
// separated by commas, each taken as a byte (its low eight bits). Anything else
// is empty.
[[nodiscard]] std::optional<RgbColour> parseAnchorColour(std::wstring_view text);

} // namespace jl
