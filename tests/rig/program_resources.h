#pragma once
// What Windows reads back from a built or packed program's resources.

#include <windows.h>

#include <string>

namespace jltest {

// A resource's bytes; empty when the module has none of that type and name.
[[nodiscard]] std::string resourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name);
// The width of the picture Windows makes from icon group 1 at that side; 0 when it makes none.
[[nodiscard]] int iconWidth(HMODULE module, int side);
// A file's version information block as GetFileVersionInfo gives it; empty without one.
[[nodiscard]] std::string fileVersionBlock(const std::wstring& path);
// One string of a version block's US English table; "<none>" when it is missing.
[[nodiscard]] std::wstring versionString(const std::string& block, const wchar_t* name);

} // namespace jltest
