// The machine type and bitness of a jvm.dll read from its bytes.
#include "fuzz_input.h"
#include "runtime/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the given size, so reading past it is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    const std::optional<uint16_t> machine = jl::peImageMachine(bytes.data(), bytes.size());
    jlfuzz::require(!machine || (size >= 0x40 && bytes[0] == 'M' && bytes[1] == 'Z'));
    const jl::ImageBitness bitness = jl::peImageBitness(bytes.data(), bytes.size());
    jlfuzz::require(bitness != jl::ImageBitness::x64 || machine == jl::kMachineAmd64);
    jlfuzz::require(bitness != jl::ImageBitness::x86 || machine == jl::kMachineI386);
    return 0;
}
