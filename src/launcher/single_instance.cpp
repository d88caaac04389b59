#include "launcher/single_instance.h"

#include "support/trace.h"
#include "support/window.h"

namespace jl {

// Single-instance forwarding is not built yet: every start runs on its own.
bool setupSingleInstance(SingleInstanceState& state) {
    state.enabled = false;
    state.isPrimary = false;
    trace(L"single instance: not built yet, this start runs on its own");
    return true;
}

int waitForPrimary(SingleInstanceState&) { return -1; }

void closeSingleInstance(SingleInstanceState& state) {
    if (state.listenerThread && !stopMessageLoopThread(state.listenerThread.get(), state.listenerThreadId, 5000)) {
        trace(L"single instance: the listener thread did not end in time");
    }
    state.listenerThread.reset();
    state.sharedBlock.reset();
    state.sharedMapping.reset();
    state.mainStartedEvent.reset();
}

} // namespace jl
