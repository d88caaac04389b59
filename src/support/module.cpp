#include "support/module.h"

namespace jl {

Module loadSystemLibrary(const wchar_t* name) {
    return Module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

} // namespace jl
