#pragma once
// The bridge runtime: a Winelib jvm.dll that runs the Linux HotSpot (libjvm.so)
// inside a Wine process. The PE side calls Windows x64 JNI; everything it gets
// is a thin ms_abi layer over HotSpot's System V functions.
//
// Code that runs with the ms_abi convention stays trivial: GCC 12 miscompiles
// __thread access inside ms_abi functions, so anything that may touch
// thread-local data lives in non-inlined System V helpers. The bridge itself
// keeps no thread-local data at all: a wrapped JNIEnv carries its real one.

#include <windows.h>

#include <jni.h>

#include <string>
#include <string_view>

#define BRIDGE_MSABI __attribute__((ms_abi))

namespace bridge {

// What the PE side holds as a JNIEnv* or JavaVM*: a Windows function table
// followed by the real HotSpot handle.
struct WrappedEnv {
    const JNINativeInterface_* functions;
    JNIEnv* real;
};
struct WrappedVm {
    const JNIInvokeInterface_* functions;
    JavaVM* real;
};

// Winelib builds with -fshort-wchar: WCHAR is a 2-byte wchar_t, which the C++
// library does not expect, so text is held as char16_t and cast at the API.
inline const WCHAR* win(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }
inline const char16_t* utf16(const WCHAR* text) { return reinterpret_cast<const char16_t*>(text); }

inline JNIEnv* realEnv(JNIEnv* env) { return reinterpret_cast<WrappedEnv*>(env)->real; }
inline JavaVM* realVm(JavaVM* vm) { return reinterpret_cast<WrappedVm*>(vm)->real; }

// One wrapper per thread's JNIEnv, made on first sight and dropped on detach.
[[gnu::noinline]] JNIEnv* wrapEnv(JNIEnv* real);
[[gnu::noinline]] void forgetEnv(JNIEnv* real);
// The one wrapped VM; null before the VM exists.
[[gnu::noinline]] JavaVM* wrapVm(JavaVM* real);
[[gnu::noinline]] JavaVM* wrappedVm();
// Called once on the creating thread right after HotSpot is up.
[[gnu::noinline]] void prepareEnvTables(JNIEnv* real);

// Text and path conversion (Windows side, so only on Wine threads).
[[nodiscard]] std::u16string toUtf16(std::string_view text, UINT codePage);
[[nodiscard]] std::string toUtf8(std::u16string_view text);
// A Windows path as an absolute Unix path without Wine's dosdevices links, so
// that it holds no ":" (a Unix path is kept as it is).
[[nodiscard]] std::string unixPath(std::u16string_view windowsPath);
// A ";"-separated Windows path list as a ":"-separated Unix one.
[[nodiscard]] std::string unixPathList(std::u16string_view windowsPaths);
// Sets every Windows environment variable in the Unix environment.
void copyEnvironmentToUnix();
// Points descriptors 1 and 2 at the Windows standard handles (or /dev/null).
void connectStandardStreams();
// Returns once what HotSpot wrote so far has reached Windows pipe handles.
[[gnu::noinline]] void flushStandardStreams();

} // namespace bridge
