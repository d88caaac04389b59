#pragma once
// The runtime's jvm.dll: loading it, creating and destroying the VM, and the two
// hooks the VM calls when it exits or aborts.

#include <jni.h>

#include <cstdint>
#include <string>

namespace jl {

class Launcher;

// Loads jvm.dll and resolves its entry points; false after its message.
[[nodiscard]] bool loadJvmLibrary(Launcher& launcher, const std::wstring& path);
// Creates the VM with the option list and the hooks, then redirects the output
// streams. On the Java main thread only; false after its message, with no VM.
[[nodiscard]] bool createJvm(Launcher& launcher);
// Ends the VM, waiting for its non-daemon threads; nothing without a VM.
void destroyJvm(Launcher& launcher);
// The VM's default thread stack size in bytes, 0 when it reports none.
[[nodiscard]] uint64_t defaultJavaStackSize(const Launcher& launcher);

void JNICALL vmExitHook(jint status);
void JNICALL vmAbortHook();

} // namespace jl
