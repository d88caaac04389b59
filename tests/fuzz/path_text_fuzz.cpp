// Folders of file paths.
#include "fuzz_input.h"
#include "support/path_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring path = jlfuzz::wideText(data, size);
    const std::wstring folder = jl::folderWithBackslash(path);
    jlfuzz::require(folder.empty() || (path.starts_with(folder) && folder.back() == L'\\'));
    return 0;
}
