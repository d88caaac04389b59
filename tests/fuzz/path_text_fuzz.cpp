// Folders, names and forms of file paths.
#include "fuzz_input.h"
#include "support/path_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring path = jlfuzz::wideText(data, size);
    const std::wstring folder = jl::folderWithBackslash(path);
    jlfuzz::require(folder.empty() || (path.starts_with(folder) && folder.back() == L'\\'));
    jlfuzz::require(jl::withTrailingBackslash(path).back() == L'\\');
    (void)jl::fileBaseName(path);
    (void)jl::hasDriveOrUncForm(path);
    for (int count = 0; count < 4; ++count) {
        const std::wstring stripped = jl::stripPathComponents(path, count);
        jlfuzz::require(path.starts_with(stripped));
    }
    // The long form only ever adds a prefix, and only to a long full path.
    const std::wstring extended = jl::extendedLengthPath(path);
    jlfuzz::require(extended == path || (path.size() >= 260 && extended.starts_with(L"\\\\?\\") &&
                                         extended.size() > path.size()));
    return 0;
}
