// The ".vmoptions" files: lines, the java command's two-word forms, and which
// options a later layer replaces.
#include "fuzz_input.h"
#include "jvmopts/vm_option_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t split = input.ConsumeIntegral<uint8_t>();
    const std::wstring text = jlfuzz::wideText(input);
    const std::vector<std::wstring> options = jl::vmOptionLines(text);
    std::vector<size_t> layers;
    for (size_t i = 0; i < options.size(); ++i) {
        jlfuzz::require(!options[i].empty() && options[i].front() != L'#');
        layers.push_back(i < split ? 0 : 1);
        (void)jl::isClassPathOption(options[i]);
    }
    const std::vector<size_t> kept = jl::survivingOptions(options, layers);
    jlfuzz::require(kept.size() <= options.size());
    for (size_t i = 1; i < kept.size(); ++i) jlfuzz::require(kept[i - 1] < kept[i]);
    // The last option always stays: nothing comes after it.
    jlfuzz::require(options.empty() || (!kept.empty() && kept.back() == options.size() - 1));
    return 0;
}
