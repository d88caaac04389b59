#pragma once

#include <jni.h>

namespace jl {

class Launcher;

enum class ExceptionChoice { ignore, stop };

// Shows the exception that escaped main and asks whether to go on.
[[nodiscard]] ExceptionChoice showJavaExceptionDialog(Launcher& launcher, jthrowable exception);

} // namespace jl
