#pragma once
// Where the bridge runtime and the Java test programs sit in the build tree.

#include <windows.h>

#include <string>

namespace jltest::bridge {

// <build>\runtimes\bridge\bin\server\jvm.dll (the test programs are in <build>\bin).
[[nodiscard]] std::wstring jvmPath();
// The jar with the Java programs of java/bridge.
[[nodiscard]] std::wstring programsJar();

template <typename Function>
[[nodiscard]] Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace jltest::bridge
