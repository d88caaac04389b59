// The single-instance argument area as another program may have filled it.
#include <algorithm>
#include <array>

#include "fuzz_input.h"
#include "launcher/forward_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<char16_t, jl::kArgumentAreaUnits> area{};
    for (size_t i = 0; i + 1 < size && i / 2 < area.size(); i += 2) area[i / 2] = char16_t(data[i] | (data[i + 1] << 8));
    const std::vector<std::wstring> arguments = jl::decodeForwardedArguments(area);
    // What was read from an area goes back into one and reads the same, when it fits.
    std::array<char16_t, jl::kArgumentAreaUnits> again{};
    if (jl::encodeForwardedArguments(arguments, again)) {
        jlfuzz::require(jl::forwardedArgumentBytes(arguments) <= jl::kMaxForwardedArgumentBytes);
        // A list read back is the list written; an empty list is written as one empty argument.
        const std::vector<std::wstring> decoded = jl::decodeForwardedArguments(again);
        jlfuzz::require(decoded == (arguments.empty() ? std::vector<std::wstring>{L""} : arguments));
    }
    (void)jl::forwardInstanceName(jlfuzz::wideText(data, std::min<size_t>(size, 1024)));
    return 0;
}
