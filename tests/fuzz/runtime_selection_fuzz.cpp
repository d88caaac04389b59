// Ordering registered runtimes and choosing one by the preferred versions.
#include <algorithm>

#include "fuzz_input.h"
#include "runtime/runtime_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool favouring = input.ConsumeBool();
    const auto jvmType = static_cast<jl::JvmType>(input.ConsumeIntegralInRange(0, 2));
    std::vector<jl::RuntimeCandidate> candidates(input.ConsumeIntegralInRange<size_t>(1, 16));
    for (jl::RuntimeCandidate& candidate : candidates) {
        (void)jl::parseVersion(jlfuzz::wideText(input, 24), 0, candidate.version);
        candidate.homeFolder = jlfuzz::wideText(input, 64);
        candidate.serverVm = input.ConsumeBool();
        candidate.favoured = input.ConsumeBool();
        candidate.versionKnown = input.ConsumeBool();
    }
    std::vector<std::wstring> preferred(input.ConsumeIntegralInRange<size_t>(0, 8));
    for (std::wstring& entry : preferred) entry = jlfuzz::wideText(input, 24);

    jl::orderCandidates(candidates, favouring, jvmType);
    // Known versions never come after unknown ones.
    jlfuzz::require(std::is_partitioned(candidates.begin(), candidates.end(),
                                        [](const jl::RuntimeCandidate& c) { return c.versionKnown; }));
    const jl::CandidateChoice choice = jl::chooseCandidate(candidates, preferred);
    jlfuzz::require(choice.index < candidates.size());
    (void)jl::jvmProbeOrder(jvmType);
    return 0;
}
