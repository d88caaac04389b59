// JNI's modified UTF-8, as a Java exception's text or class name arrives.
#include <string_view>

#include "fuzz_input.h"
#include "jvmhost/modified_utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jl::decodeModifiedUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    // At most one UTF-16 unit per byte, and nothing beyond UTF-16.
    jlfuzz::require(text.size() <= size);
    for (wchar_t unit : text) jlfuzz::require(static_cast<uint32_t>(unit) <= 0xFFFF);
    return 0;
}
