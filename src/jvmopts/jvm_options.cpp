#include "jvmopts/jvm_options.h"

#include "launcher/launcher.h"
#include "runtime/runtime_search.h"
#include "support/trace.h"

namespace jl {

void prepareLibraryPath(Launcher& launcher) {
    publishRuntimeVariables(launcher.jvmLibraryPath);
    trace(L"options: library path and Path not built yet");
}

// The VM option list is not built yet.
bool prepareJvmOptions(Launcher&) {
    trace(L"options: VM option list not built yet");
    return false;
}

} // namespace jl
