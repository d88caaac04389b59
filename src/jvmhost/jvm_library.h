#pragma once
// The runtime's jvm.dll: loading it, creating and destroying the VM.

#include <jni.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
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

// The VM's "exit" and "abort" hooks, which take no context, and its "vfprintf"
// hook, which hears only what is printed after its option, so it goes first.
struct JvmHooks {
    void(JNICALL* exit)(jint status) = nullptr;
    void(JNICALL* abort)() = nullptr;
    jint(JNICALL* print)(FILE* stream, const char* format, va_list arguments) = nullptr;
};

// The created VM, the Java main thread's environment and the main class.
struct JvmSession {
    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;
    // A global reference, set before main is called and never released: the
    // VM's end frees it.
    jclass mainClass = nullptr;
};

// What the launcher is told while the Java main thread starts and runs the
// program; one object answers all of it, so no call needs a wrapper of its own.
class JavaMainListener {
public:
    virtual void beforeMain() = 0;             // main is about to be called
    virtual void beforeExceptionDialog() = 0;  // closes the splash window
    virtual void mainThrew() = 0;              // an exception escaped main
    virtual std::wstring runtimeSaid() = 0;    // what the runtime printed so far

protected:
    ~JavaMainListener() = default;
};

// Loads jvm.dll (never freed) and resolves its entry points; false after its message.
[[nodiscard]] bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints);
// Creates the VM with the option list between the print hook and the exit hooks.
// On the Java main thread only; false after its message, which quotes what
// the listener's runtimeSaid returns (the runtime's own account of the
// failure), with no VM.
[[nodiscard]] bool createJvm(const JvmEntryPoints& entryPoints, std::vector<std::string>& vmOptions,
                             const JvmHooks& hooks, JvmSession& session, JavaMainListener* listener = nullptr);
// Ends the VM, waiting for its non-daemon threads; nothing without a VM.
void destroyJvm(JvmSession& session);
// The VM's default thread stack size in bytes, 0 when it reports none.
[[nodiscard]] uint64_t defaultJavaStackSize(const JvmEntryPoints& entryPoints);

} // namespace jl
