#pragma once

#include <windows.h>

#include <string>

#include "types/runtime_filter.h"

namespace jl {

// What the user chose in the JRE Not Found dialog.
struct JreNotFoundChoice {
    std::wstring folder;          // the runtime home, ending in "\"
    std::wstring jvmLibraryPath;  // the jvm.dll under it
};

// Runs the dialog modally, owned by owner (normally none). A folder is accepted
// when its jvm.dll is an x64 image, or a 32-bit one and pairProductSet. Returns
// IDOK with the choice filled, IDCANCEL, or -1 when the dialog could not be created.
[[nodiscard]] INT_PTR runJreNotFoundDialog(HWND owner, const std::wstring& message, JvmType jvmType,
                                           bool pairProductSet, JreNotFoundChoice& choice);

} // namespace jl
