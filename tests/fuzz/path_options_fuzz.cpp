// Class path entries, the library path and Path.
#include "fuzz_input.h"
#include "jvmopts/path_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring folder = jlfuzz::wideText(input, 300), home = jlfuzz::wideText(input, 300);
    const std::wstring entry = jlfuzz::wideText(input);
    const jl::ClassPathEntry kind = jl::classifyClassPathEntry(entry, folder);
    if (kind.searched) jlfuzz::require(kind.pattern.starts_with(kind.prefix));
    (void)jl::libraryPathTemplate(entry, folder, home);
    (void)jl::processPathTemplate(entry, home);
    return 0;
}
