// The browser's "R,G,B" link colour.
#include "fuzz_input.h"
#include "runtime/link_colour.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jlfuzz::wideText(data, size);
    const std::optional<jl::RgbColour> colour = jl::parseAnchorColour(text);
    jlfuzz::require(!colour || text.size() <= 11);
    return 0;
}
