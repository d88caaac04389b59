// Vendor registry sub-key names and a runtime's "release" file.
#include <string_view>

#include "fuzz_input.h"
#include "runtime/vendor_runtimes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring subKey = jlfuzz::wideText(input, 255);
    const std::string release = input.ConsumeRemainingBytesAsString();
    for (const jl::VendorRoot& root : jl::kVendorRoots) {
        for (const jl::VendorHomeKey& key : jl::vendorHomeKeys(root, subKey)) jlfuzz::require(key.subKeyPath.starts_with(subKey));
        (void)jl::vendorKeyIsJdk(root, subKey);
    }
    const std::optional<jl::Version> version = jl::releaseFileVersion(release);
    (void)jl::versionSatisfiesBounds(version, jl::kNoMinimum, jl::kNoMaximum);
    return 0;
}
