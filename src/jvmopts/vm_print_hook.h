#pragma once
// The VM's "vfprintf" hook.

#include <jni.h>

#include <cstdarg>
#include <cstdio>

namespace jl {

// The VM's messages go out through the standard handles, which stay right even
// when the runtime's C library took its copies of them before they were set.
jint JNICALL printVmMessage(FILE* stream, const char* format, va_list arguments);

} // namespace jl
