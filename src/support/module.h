#pragma once
// Loaded DLLs and typed look-ups of their exports.

#include <windows.h>

#include <string>

#include "support/unique_resource.h"

// The linker's name for the start of this program's image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace jl {

// This program's module, where its resources and window classes live.
[[nodiscard]] inline HINSTANCE programInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// A DLL the process has already loaded, by name, without a reference of its
// own; null when it is not loaded.
[[nodiscard]] HMODULE loadedModule(const wchar_t* name);

// The export's address as the function type asked for; null when missing.
template <typename Function>
[[nodiscard]] Function resolve(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A DLL loaded by this program and freed when the object goes.
class Module {
public:
    Module() = default;
    explicit Module(HMODULE module) : module_(module) {}

    [[nodiscard]] HMODULE get() const { return module_.get(); }
    explicit operator bool() const { return module_.valid(); }
    template <typename Function>
    [[nodiscard]] Function resolve(const char* name) const {
        return jl::resolve<Function>(module_.get(), name);
    }
    // Keeps the DLL loaded for the rest of the process.
    HMODULE release() { return module_.release(); }

private:
    UniqueModule module_;
};

// A system DLL by name from the System32 folder only, so a copy planted beside
// the program or in the current folder is never loaded. Empty on failure, with
// the thread's last error set.
[[nodiscard]] Module loadSystemLibrary(const wchar_t* name);

} // namespace jl
