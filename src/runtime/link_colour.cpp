#include "runtime/link_colour.h"

namespace jl {

std::optional<RgbColour> parseAnchorColour(std::wstring_view text) {
    constexpr size_t kMaxLength = 11;  // "255,255,255"
    if (text.size() > kMaxLength) return std::nullopt;
    uint8_t parts[3] = {};
    size_t position = 0;
    for (int index = 0; index < 3; ++index) {
        const size_t start = position;
        unsigned value = 0;
        while (position < text.size() && text[position] >= L'0' && text[position] <= L'9') {
            value = value * 10 + static_cast<unsigned>(text[position] - L'0');
            ++position;
        }
        if (position == start) return std::nullopt;
        parts[index] = static_cast<uint8_t>(value);
        if (index < 2) {
            if (position == text.size() || text[position] != L',') return std::nullopt;
            ++position;
        }
    }
    if (position != text.size()) return std::nullopt;
    return RgbColour{parts[0], parts[1], parts[2]};
}

} // namespace jl
