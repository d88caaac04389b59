#pragma once
// Java strings built from wide strings, and System.exit, through JNI.

#include <jni.h>

#include <string>
#include <vector>

namespace jl {

// Java strings from the exact UTF-16 code units; null on any failure.
[[nodiscard]] jstring newJavaString(const std::wstring& text, JNIEnv* env);
[[nodiscard]] jobjectArray newJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env);
// System.exit(status); true only if it returned without a pending exception.
bool callSystemExit(JNIEnv* env, jint status = -1);

} // namespace jl
