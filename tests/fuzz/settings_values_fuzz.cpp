// The text of each setting turned into its value, and the settings file paths.
#include "fuzz_input.h"
#include "settings/settings_values.h"
#include "types/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring a = jlfuzz::wideText(input, 512), b = jlfuzz::wideText(input, 512);
    const std::wstring c = jlfuzz::wideText(input, 512), d = jlfuzz::wideText(input);
    (void)jl::isYesInAnyCase(a);
    jlfuzz::require(jl::secondsFromText(a) <= 86400);
    const jl::Version minimum = jl::minimumVersionFromText(a), maximum = jl::maximumVersionFromText(b);
    (void)jl::versionInRange(minimum, minimum, maximum);
    (void)jl::jvmTypeFromText(a);
    (void)jl::jvmSourceFlagsFromText(a);
    (void)jl::vmProviderFlagsFromText(b);
    jlfuzz::require(jl::internalClassName(d).size() == d.size());
    (void)jl::iniPathForProgram(d);
    const std::wstring folder = jl::productFolderName(a);
    jlfuzz::require(folder.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos);
    const jl::PerUserIniLocation location = jl::perUserIniLocation(c, a, b, d);
    jlfuzz::require(location.iniPath.starts_with(location.codeFolder) &&
                    location.codeFolder.starts_with(location.productFolder));
    return 0;
}
