#pragma once
// The thread that creates the VM and runs the main class, and the conversions of
// wide strings into Java strings.

#include <jni.h>

#include <string>
#include <vector>

namespace jl {

class Launcher;

// Runs the Java main thread and waits for it: 0 when main ran and the VM ended
// cleanly, 1 otherwise.
[[nodiscard]] int runJavaMainThread(Launcher& launcher);
// Finds the main class, calls main with the arguments and leaves the VM.
[[nodiscard]] bool invokeMainClass(Launcher& launcher);

// Java strings from the exact UTF-16 code units; null on any failure.
[[nodiscard]] jstring newJavaString(const std::wstring& text, JNIEnv* env);
[[nodiscard]] jobjectArray newJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env);
// System.exit(-1); true only if it returned without a pending exception.
bool callSystemExit(JNIEnv* env);

} // namespace jl
