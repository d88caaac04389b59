// The packer's reading of a launcher image and its resources.
#include "fuzz_input.h"
#include "jlpack/icon_file.h"
#include "jlpack/pe_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::string problem;
    const std::optional<jlpack::PeImage> image = jlpack::parsePeImage(bytes, &problem);
    if (!image) {
        jlfuzz::require(!problem.empty());
        return 0;
    }
    for (const jlpack::Resource* group : image->resources.ofType(jlpack::kRtGroupIcon)) {
        (void)jlpack::iconGroupImages(image->resources, *group);
    }
    // What the packer writes back reads again, with the same resources.
    const jlpack::Bytes rewritten = jlpack::rewriteImage(*image, image->resources);
    const std::optional<jlpack::PeImage> again = jlpack::parsePeImage(rewritten);
    jlfuzz::require(again && again->resources.all().size() == image->resources.all().size());
    return 0;
}
