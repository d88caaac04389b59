#pragma once
// Single-instance mode: a second start hands its arguments to the running one.

#include <windows.h>

#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "support/unique_resource.h"

namespace jl {

// What the primary's workers read when a request is served; every member is
// set before the listener starts, the session's VM and main class before the
// main-started event is signalled.
struct ForwardTarget {
    const JvmSession* session = nullptr;
    bool stayAttached = false;  // an IBM runtime may be in use
    HANDLE mainStartedEvent = nullptr;
    UINT message = 0;
};

struct SingleInstanceState {
    bool enabled = false;    // single-instance mode is in force
    bool isPrimary = false;  // this process created the shared block
    UniqueHandle sharedMapping;
    UniqueView sharedBlock;
    UniqueHandle listenerThread;
    DWORD listenerThreadId = 0;
    UniqueHandle mainStartedEvent;  // set when the Java main method is about to run
    UniqueHandle primaryProcess;    // a secondary watches it while it waits
    ForwardTarget target;
};

// What settles the mode at start-up.
struct SingleInstanceSetup {
    const std::wstring& programPath;
    bool isService = false;
    bool enabled = false;  // "Single Instance"
    const std::vector<std::wstring>& arguments;
    const JvmSession& session;
    bool stayAttached = false;
};

// Settles single-instance mode; a secondary forwards its arguments here. False
// when they could not be forwarded (after a message when they do not fit).
[[nodiscard]] bool setupSingleInstance(SingleInstanceState& state, const SingleInstanceSetup& setup);
// A secondary's exit code: what the primary sends back, else the primary's own.
[[nodiscard]] int waitForPrimary(SingleInstanceState& state);
// Stops the listener and releases the shared block.
void closeSingleInstance(SingleInstanceState& state);

} // namespace jl
