#pragma once

#include <windows.h>

#include <string>

namespace jl {

// What the user chose in the JRE Not Found dialog.
struct JreNotFoundChoice {
    std::wstring folder;          // the runtime home, ending in "\"
    std::wstring jvmLibraryPath;  // the jvm.dll under it
};

// Runs the dialog modally. Returns the id of the button that ended it (IDOK with
// the choice filled), or -1 when the dialog could not be created.
[[nodiscard]] INT_PTR runJreNotFoundDialog(HWND parent, const std::wstring& message, int jvmType,
                                           JreNotFoundChoice& choice);

} // namespace jl
