#pragma once
// Path text operations. Platform-neutral.

#include <string>
#include <string_view>

namespace jl {

// The folder of a file path with its trailing "\"; empty when the path has no "\".
[[nodiscard]] std::wstring folderWithBackslash(std::wstring_view path);

// The file name after the last "\", without its last extension ("MyApp" of "C:\App\MyApp.exe").
[[nodiscard]] std::wstring fileBaseName(std::wstring_view path);

// The folder with a "\" at its end, added when it has none.
[[nodiscard]] std::wstring withTrailingBackslash(std::wstring folder);

// The path with its last n "\"-separated components removed.
[[nodiscard]] std::wstring stripPathComponents(std::wstring_view path, int count);

// True for a path that starts with a drive ("C:") or with the "\\" of a UNC
// name; the launcher takes every other path as relative to a folder of its own.
[[nodiscard]] bool hasDriveOrUncForm(std::wstring_view path);

// A full path of MAX_PATH characters or more in its "\\?\" form, which the file
// functions take at any length; shorter, relative or already prefixed paths as they are.
[[nodiscard]] std::wstring extendedLengthPath(std::wstring_view path);

} // namespace jl
