#pragma once
// Path text operations. Platform-neutral.

#include <string>
#include <string_view>

namespace jl {

// The folder of a file path with its trailing "\"; empty when the path has no "\".
[[nodiscard]] std::wstring folderWithBackslash(std::wstring_view path);

} // namespace jl
