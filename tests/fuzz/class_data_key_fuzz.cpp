// A runtime's "release" file, and the archive name made from a key.
#include "fuzz_input.h"
#include "jvmopts/class_data_key.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view release(reinterpret_cast<const char*>(data), size);
    (void)jl::dynamicArchiveRefusal(release);
    const std::wstring key = jlfuzz::wideText(data, size);
    const std::wstring name = jl::archiveFileName(L"App", jl::archiveKeyDigest(key));
    // "App-" + 16 hex digits + ".jsa", whatever the key.
    jlfuzz::require(name.size() == 24 && name.starts_with(L"App-") && name.ends_with(L".jsa"));
    return 0;
}
