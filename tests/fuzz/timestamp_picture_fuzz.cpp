// Date-and-time pictures in output file names.
#include "fuzz_input.h"
#include "jvmopts/timestamp_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const unsigned milliseconds = input.ConsumeIntegralInRange(0u, 999u);
    const std::wstring name = jlfuzz::wideText(input, 8192);
    const jl::PictureStretch stretch = jl::findPictureStretch(name);
    if (!stretch.present) return 0;
    jlfuzz::require(stretch.first <= stretch.last && stretch.last < name.size());
    const std::wstring picture =
        jl::withMilliseconds(std::wstring_view(name).substr(stretch.first + 1, stretch.last - stretch.first - 1),
                             milliseconds);
    size_t units = 0;
    for (const jl::PictureRun& run : jl::splitPicture(picture)) {
        jlfuzz::require(!run.text.empty());
        if (run.kind != jl::PictureRun::Kind::literal) {
            jlfuzz::require(run.text.find_first_not_of(run.text[0]) == std::wstring::npos);
        }
        units += run.text.size();
    }
    // Quotes only ever take text away.
    jlfuzz::require(units <= picture.size());
    return 0;
}
