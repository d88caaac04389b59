#pragma once
// Path text operations. Platform-neutral.

#include <string>
#include <string_view>

namespace jl {

// The folder of a file path with its trailing "\"; empty when the path has no "\".
[[nodiscard]] std::wstring folderWithBackslash(std::wstring_view path);

// The file name after the last "\", without its last extension ("MyApp" of "C:\App\MyApp.exe").
[[nodiscard]] std::wstring fileBaseName(std::wstring_view path);

// A full path of MAX_PATH characters or more in its "\\?\" form, which the file
// functions take at any length; shorter, relative or already prefixed paths as they are.
[[nodiscard]] std::wstring extendedLengthPath(std::wstring_view path);

} // namespace jl
