#include "jvmhost/java_exception_dialog.h"

#include "support/trace.h"

namespace jl {

// The dialog is not built yet: it answers as if the user pressed Ignore.
std::wstring describeThrowable(JNIEnv*, jthrowable) { return {}; }

ExceptionChoice showJavaExceptionDialog(JNIEnv*, jthrowable) {
    trace(L"jvm: Java Exception dialog not built yet, answering Ignore");
    return ExceptionChoice::ignore;
}

} // namespace jl
