// "Virtual Machine Parameters": splitting, quotes and memory sizes.
#include "fuzz_input.h"
#include "jvmopts/vm_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    jl::MachineMemory memory;
    memory.totalPhysical = input.ConsumeIntegral<uint64_t>();
    memory.availableVirtual = input.ConsumeIntegral<uint64_t>();
    const std::wstring text = jlfuzz::wideText(input);
    for (std::wstring parameter : jl::splitVmParameters(text)) {
        const size_t before = parameter.size();
        jl::removeQuotes(parameter);
        jlfuzz::require(parameter.size() <= before);
        const jl::SizeFields fields = jl::parseSizeFields(parameter);
        jlfuzz::require(fields.prefixLength <= parameter.size());
        if (jl::isRelativeMemoryOption(parameter)) (void)jl::resolveRelativeMemoryOption(parameter, memory);
        if (parameter.starts_with(L"-Xss")) (void)jl::parseStackSize(std::wstring_view(parameter).substr(4));
    }
    return 0;
}
