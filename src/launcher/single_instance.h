#pragma once
// Single-instance mode: a second start hands its arguments to the running one.

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "support/unique_resource.h"

namespace jl {

// The launcher's session as the primary's workers reach it. The session lives
// in the launcher, which a worker may outlive: it is read under the lock, and
// only until closeSingleInstance cuts the link.
class SessionLink {
public:
    explicit SessionLink(const JvmSession* session) : session_(session) {}
    SessionLink(const SessionLink&) = delete;
    SessionLink& operator=(const SessionLink&) = delete;

    // The session as it is now: no VM before it exists and once the link is cut.
    [[nodiscard]] JvmSession current() const;
    void cut();

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    const JvmSession* session_;
};

// What the primary's workers read when a request is served. Each worker holds a
// share, so one still running when the launcher ends reads live state.
struct ForwardTarget {
    explicit ForwardTarget(const JvmSession* session) : session(session) {}
    SessionLink session;
    bool stayAttached = false;  // an IBM runtime may be in use
    UniqueHandle mainStartedEvent;  // the workers' own handle of the event
    UINT message = 0;
};

// What the primary's listener reads: the block, mapped for as long as the
// listener may read it, and the target it hands its workers. The listener holds
// a share, so one that the launcher's end stopped waiting for reads live state.
struct ForwardListening {
    UniqueHandle mapping;
    UniqueView block;
    std::shared_ptr<ForwardTarget> target;
    // Set by closeSingleInstance: a listener held up until then leaves at once,
    // without taking requests for a primary that is ending.
    std::atomic<bool> stopping = false;
};

struct SingleInstanceState {
    bool enabled = false;    // single-instance mode is in force
    bool isPrimary = false;  // this process leads: it made the block or took it over
    UniqueHandle sharedMapping;  // a secondary's; a primary's are the listener's
    UniqueView sharedBlock;
    std::shared_ptr<ForwardListening> listening;  // a primary's
    UniqueHandle listenerThread;
    DWORD listenerThreadId = 0;
    UniqueHandle mainStartedEvent;  // set when the Java main method is about to run
    UniqueHandle primaryProcess;    // a secondary watches it while it waits
    UINT message = 0;               // the registered message of request and reply
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
// when they could not be forwarded (after a message).
[[nodiscard]] bool setupSingleInstance(SingleInstanceState& state, const SingleInstanceSetup& setup);
// A secondary's exit code: what the primary sends back, else the primary's own.
[[nodiscard]] int waitForPrimary(SingleInstanceState& state);
// Stops the listener and releases the shared block.
void closeSingleInstance(SingleInstanceState& state);

} // namespace jl
