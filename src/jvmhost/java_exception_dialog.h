#pragma once
// The Java Exception dialog: the stack trace of an exception that escaped main,
// and the user's choice to ignore it or stop the program.

#include <jni.h>

#include <string>

namespace jl {

enum class ExceptionChoice { ignore, stop };

// The throwable's printStackTrace text; empty when it cannot be produced.
[[nodiscard]] std::wstring describeThrowable(JNIEnv* env, jthrowable exception);

// Shows the trace modally, owned by the calling thread's active window. Stop
// also when the dialog cannot be shown; Ignore without a dialog when there is no
// trace text.
[[nodiscard]] ExceptionChoice showJavaExceptionDialog(JNIEnv* env, jthrowable exception);

} // namespace jl
