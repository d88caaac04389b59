#pragma once
// Single-instance mode: a second start hands its arguments to the running one.

#include <windows.h>

#include "support/unique_resource.h"

namespace jl {

struct SingleInstanceState {
    bool enabled = false;    // single-instance mode is in force
    bool isPrimary = false;  // this process created the shared block
    UniqueHandle sharedMapping;
    UniqueView sharedBlock;
    UniqueHandle listenerThread;
    DWORD listenerThreadId = 0;
    UniqueHandle mainStartedEvent;  // set when the Java main method is about to run
};

// Settles single-instance mode; a secondary forwards its arguments here. False
// when forwarding failed.
[[nodiscard]] bool setupSingleInstance(SingleInstanceState& state);
// A secondary's exit code: what the primary sends back.
[[nodiscard]] int waitForPrimary(SingleInstanceState& state);
// Stops the listener and releases the shared block.
void closeSingleInstance(SingleInstanceState& state);

} // namespace jl
