#pragma once

#include <string>

namespace jl {

class Launcher;

// Loads jvm.dll and resolves its entry points; false after its message.
[[nodiscard]] bool loadJvmLibrary(Launcher& launcher, const std::wstring& path);
// Runs the Java main thread and waits for it: 0 success, anything else failure.
[[nodiscard]] int runJavaMainThread(Launcher& launcher);
void destroyJvm(Launcher& launcher);

} // namespace jl
