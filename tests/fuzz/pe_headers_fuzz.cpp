// The headers at the start of a PE image, as the launcher reads a jvm.dll and
// jlpack a launcher.
#include "fuzz_input.h"
#include "support/pe_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the given size, so reading past it is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    const std::optional<jl::PeFileHeader> header = jl::readPeFileHeader(bytes);
    jlfuzz::require(!header || jl::hasDosHeader(bytes));
    jlfuzz::require(!header || !header->complete || header->optionalHeaderOffset() <= size);
    const jl::ImageBitness bitness = jl::peImageBitness(bytes);
    jlfuzz::require(bitness != jl::ImageBitness::x64 || (header && header->machine == jl::kMachineAmd64));
    jlfuzz::require(bitness != jl::ImageBitness::x86 || (header && header->machine == jl::kMachineI386));
    const std::optional<size_t> subsystem = jl::peSubsystemOffset(bytes);
    jlfuzz::require(!subsystem || *subsystem + 2 <= size);
    return 0;
}
