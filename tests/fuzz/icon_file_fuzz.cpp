// The packer's reading of an .ico file and the icon resources made from it.
#include "fuzz_input.h"
#include "jlpack/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::string problem;
    const std::optional<std::vector<jlpack::IconImage>> images = jlpack::parseIconFile(bytes, &problem);
    if (!images) {
        jlfuzz::require(!problem.empty());
        return 0;
    }
    for (const jlpack::IconImage& icon : *images) {
        jlfuzz::require(icon.width <= jlpack::kMaxIconSide && icon.height <= jlpack::kMaxIconSide);
        jlfuzz::require(icon.data.size() <= jlpack::kMaxIconImageBytes);
    }
    // The images become the program's icon group and read back from it.
    jlpack::ResourceTable resources;
    jlpack::replaceProgramIcon(resources, *images);
    const std::vector<const jlpack::Resource*> groups = resources.ofType(jlpack::kRtGroupIcon);
    if (!groups.empty()) jlfuzz::require(jlpack::iconGroupImages(resources, *groups[0]).size() == images->size());
    return 0;
}
