// A runtime's "release" file and the places the folder scan looks at.
#include "fuzz_input.h"
#include "runtime/runtime_folders.h"
#include "support/string_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const jl::ScanRoots roots{jlfuzz::wideText(input, 64), jlfuzz::wideText(input, 64), jlfuzz::wideText(input, 64)};
    std::vector<std::wstring> homes(input.ConsumeIntegralInRange<size_t>(0, 8));
    for (std::wstring& home : homes) home = jlfuzz::wideText(input, 64);
    const std::string release = input.ConsumeRemainingBytesAsString();

    const std::vector<jl::ScanPlace> places = jl::runtimeScanPlaces(roots, homes);
    for (size_t i = 0; i < places.size(); ++i) {
        jlfuzz::require(places[i].folder.ends_with(L'\\'));
        for (size_t j = 0; j < i; ++j) jlfuzz::require(!jl::equalsIgnoringAsciiCase(places[i].folder, places[j].folder));
    }
    const jl::ReleaseFacts facts = jl::readReleaseFacts(release);
    const std::string_view name = facts.architectureName;
    jlfuzz::require((facts.architecture == jl::ReleaseArchitecture::unknown) == name.empty());
    jlfuzz::require(name.empty() || (name.data() >= release.data() &&
                                     name.data() + name.size() <= release.data() + release.size()));
    return 0;
}
