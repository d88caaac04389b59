// Version texts: parsing, comparison, patterns and printing.
#include "fuzz_input.h"
#include "types/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int32_t fill = input.ConsumeBool() ? 0 : jl::kOpenPart;
    jl::Version a, b;
    const bool parsed = jl::parseVersion(jlfuzz::wideText(input, 256), fill, a);
    (void)jl::parseVersion(jlfuzz::wideText(input, 256), 0, b);
    for (int32_t part : a.parts) jlfuzz::require(part >= 0);
    if (!parsed) jlfuzz::require(a == jl::Version{});
    jlfuzz::require(jl::compareVersions(a, b) == -jl::compareVersions(b, a) ||
                    (jl::compareVersions(a, b) > 0) == (jl::compareVersions(b, a) < 0));
    jlfuzz::require(jl::compareVersions(a, a) == 0);
    (void)jl::versionInRange(a, b, jl::kNoMaximum);
    (void)jl::versionMatchesPattern(a, b);
    (void)jl::isOpenBound(a);
    // The printed forms read back as the same version.
    jl::Version again;
    jlfuzz::require(jl::parseVersion(jl::fullVersionText(a), 0, again) && again == a);
    (void)jl::formatVersion(a);
    (void)jl::versionRequirementText(a, b);
    return 0;
}
