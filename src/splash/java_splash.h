#pragma once
// The Java runtime's own splash library, which can show the picture instead of
// the launcher's window.

#include <string>

#include "splash/splash_closer.h"

namespace jl {

// The library file two folders above jvm.dll (the runtime's bin folder), when it
// exists; empty otherwise.
[[nodiscard]] std::wstring findSplashLibrary(const std::wstring& jvmLibraryPath, const wchar_t* fileName);

// Loads the library and hands it the picture. "SplashClose" goes into closer even
// when the library lacks one of the entries the start needs; false then, or when
// it does not load. The library stays loaded for the rest of the process.
[[nodiscard]] bool startJavaSplash(const std::wstring& libraryPath, const std::wstring& picturePath,
                                   SplashCloser& closer);

} // namespace jl
