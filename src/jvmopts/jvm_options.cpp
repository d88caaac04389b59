#include "jvmopts/jvm_options.h"

#include "launcher/launcher.h"
#include "support/trace.h"

namespace jl {

// The VM option list is not built yet.
void prepareLibraryPath(Launcher&) { trace(L"options: library path not built yet"); }

bool prepareJvmOptions(Launcher&) {
    trace(L"options: VM option list not built yet");
    return false;
}

} // namespace jl
