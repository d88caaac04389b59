#pragma once
// System.out and System.err pointed at the configured files, through JNI.

#include <jni.h>

#include "jvmopts/output_redirection.h"

namespace jl {

// Both streams, as configured (names already expanded); failures are described
// and never stop the launch.
void redirectOutputStreams(JNIEnv* env, const OutputRedirection& output);

} // namespace jl
