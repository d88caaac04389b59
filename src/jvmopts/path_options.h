#pragma once
// The text side of the class path, the library path and Path. Platform-neutral.

#include <string>
#include <string_view>

namespace jl {

// An expanded "Class Path" entry either goes on the class path as written, or is
// searched for with a pattern and contributes what it finds after a prefix.
struct ClassPathEntry {
    bool searched = false;
    std::wstring pattern;  // what to search for
    std::wstring prefix;   // put before each name found
};
// programFolder has no trailing "\"; relative entries are written with a leading one.
[[nodiscard]] ClassPathEntry classifyClassPathEntry(std::wstring_view entry, std::wstring_view programFolder);

// The "-Djava.library.path=" value before environment expansion: the setting,
// the program folder (with its "\"), ".", the inherited Path and the runtime's lib.
[[nodiscard]] std::wstring libraryPathTemplate(std::wstring_view libraryPath, std::wstring_view programFolder,
                                               std::wstring_view javaHomeFolder);
// The new Path before environment expansion: "System Path", the inherited Path,
// then the runtime's bin folder.
[[nodiscard]] std::wstring processPathTemplate(std::wstring_view systemPath, std::wstring_view javaBinFolder);

} // namespace jl
