#pragma once
// The runtime's jvm.dll: loading it, creating and destroying the VM.

#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

namespace jl {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgsFunction = jint(JNICALL*)(void*);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv*, const char*);

// The entry points of the loaded jvm.dll.
struct JvmEntryPoints {
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultInitArgsFunction getDefaultInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;  // optional
};

// The VM's "exit" and "abort" hooks; they take no context.
struct JvmHooks {
    void(JNICALL* exit)(jint status) = nullptr;
    void(JNICALL* abort)() = nullptr;
};

// The created VM and the Java main thread's environment.
struct JvmSession {
    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;
};

// Loads jvm.dll (never freed) and resolves its entry points; false after its message.
[[nodiscard]] bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints);
// Creates the VM with the option list followed by the hooks. On the Java main
// thread only; false after its message, with no VM.
[[nodiscard]] bool createJvm(const JvmEntryPoints& entryPoints, std::vector<std::string>& vmOptions,
                             const JvmHooks& hooks, JvmSession& session);
// Ends the VM, waiting for its non-daemon threads; nothing without a VM.
void destroyJvm(JvmSession& session);
// The VM's default thread stack size in bytes, 0 when it reports none.
[[nodiscard]] uint64_t defaultJavaStackSize(const JvmEntryPoints& entryPoints);

} // namespace jl
