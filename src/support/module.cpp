#include "support/module.h"

namespace jl {

HMODULE loadedModule(const wchar_t* name) {
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, name, &module) ? module : nullptr;
}

Module loadSystemLibrary(const wchar_t* name) {
    return Module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

} // namespace jl
