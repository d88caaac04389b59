#include "jvmhost/java_exception_dialog.h"

#include "support/trace.h"

namespace jl {

// The Java Exception dialog is not built yet: it answers as if the user chose Ignore.
ExceptionChoice showJavaExceptionDialog(Launcher&, jthrowable) {
    trace(L"jvm: Java Exception dialog not built yet, answering Ignore");
    return ExceptionChoice::ignore;
}

} // namespace jl
