#include "launcher/single_instance.h"

#include "launcher/launcher.h"
#include "support/trace.h"

namespace jl {

// Single-instance forwarding is not built yet: every start runs on its own.
bool setupSingleInstance(Launcher& launcher) {
    launcher.singleInstance = false;
    launcher.isPrimary = false;
    trace(L"single instance: not built yet, this start runs on its own");
    return true;
}

int waitForPrimary(Launcher&) { return -1; }

} // namespace jl
