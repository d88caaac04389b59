#pragma once
// JNI's modified UTF-8 (NUL as C0 80, supplementary characters as two encoded
// surrogates) back to UTF-16 code units. Platform-neutral.

#include <string>
#include <string_view>

namespace jl {

// Malformed bytes become U+FFFD rather than being dropped silently.
[[nodiscard]] std::wstring decodeModifiedUtf8(std::string_view bytes);

} // namespace jl
