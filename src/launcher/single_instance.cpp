#include "launcher/single_instance.h"

#include <atomic>
#include <memory>

#include "jvmhost/java_main_thread.h"
#include "launcher/forward_block.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/path_text.h"
#include "support/trace.h"
#include "support/window.h"

// How secondaries that start together each get served with their own arguments:
// the block has room for one request, so a secondary takes the named mutex
// "<instance>_upr_mtx", writes its arguments, posts its request and keeps the
// mutex until the listener answers that it has copied them (a thread message to
// that secondary alone, so no answer meant for another one is taken for its
// own). The listener copies the area the moment the request arrives, before
// main may have started; the worker later serves that copy. A secondary waits
// on the mutex and on that answer, and for its reply, only as long as the
// primary process lives, so a primary that dies releases them all with its exit
// code. The mutex is abandoned, not lost, when a secondary dies holding it.

namespace jl {

namespace {

// The listener's answer to a secondary: your arguments are copied.
constexpr UINT kArgumentsTakenMessage = WM_APP + 0x31;
// A primary fills the block moments after making it; one that never does has failed.
constexpr DWORD kListenerWaitMs = 10000;

ForwardBlock& blockOf(const SingleInstanceState& state) {
    return *static_cast<ForwardBlock*>(const_cast<void*>(state.sharedBlock.get()));
}

std::atomic_ref<uint32_t> listenerIdOf(ForwardBlock& block) { return std::atomic_ref<uint32_t>(block.listenerThreadId); }

// One request, owned by the worker thread that serves it.
struct ForwardRequest {
    DWORD sender;
    std::vector<std::wstring> arguments;
    const ForwardTarget* target;
};

// Gives this thread its message queue, so that posts to it succeed from now on.
void makeMessageQueue() {
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

void postReply(const ForwardRequest& request, jint result) {
    // Sign-extended, so that a negative result arrives as it was.
    PostThreadMessageW(request.sender, request.target->message, static_cast<WPARAM>(static_cast<LONG_PTR>(result)), 0);
}

DWORD WINAPI forwardWorker(void* parameter) {
    const std::unique_ptr<ForwardRequest> request(static_cast<ForwardRequest*>(parameter));
    const ForwardTarget& target = *request->target;
    // A request that came before main is served once main starts; the event is never reset.
    if (WaitForSingleObject(target.mainStartedEvent, INFINITE) != WAIT_OBJECT_0) return 1;
    const bool called = callSecondaryMain(*target.session, request->arguments, target.stayAttached,
                                          [&](jint result) { postReply(*request, result); });
    return called ? 0 : 1;
}

DWORD WINAPI forwardListener(void* parameter) {
    SingleInstanceState& state = *static_cast<SingleInstanceState*>(parameter);
    ForwardBlock& block = blockOf(state);
    makeMessageQueue();
    // Published only now that the queue exists, so no request is posted into the void.
    listenerIdOf(block).store(GetCurrentThreadId(), std::memory_order_release);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != state.target.message) continue;
        auto request = std::make_unique<ForwardRequest>(static_cast<DWORD>(message.wParam),
                                                        decodeForwardedArguments(block.argumentArea), &state.target);
        PostThreadMessageW(request->sender, kArgumentsTakenMessage, 0, 0);
        trace("single instance: request of thread ", request->sender, " with ", request->arguments.size(),
              " argument(s)");
        const UniqueHandle worker(CreateThread(nullptr, 0, forwardWorker, request.get(), 0, nullptr));
        if (worker) (void)request.release();
    }
    return 0;
}

// Takes this thread's posted messages until `wanted` comes (true) or the
// primary ends (false); others are dropped.
bool waitForMessage(HANDLE primary, UINT wanted, WPARAM& wParam) {
    const auto take = [&] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != wanted) continue;
            wParam = message.wParam;
            return true;
        }
        return false;
    };
    for (;;) {
        if (take()) return true;
        const DWORD waited = MsgWaitForMultipleObjectsEx(1, &primary, INFINITE, QS_POSTMESSAGE, MWMO_INPUTAVAILABLE);
        // A reply posted just before the primary ended still counts.
        if (waited == WAIT_OBJECT_0) return take();
        if (waited == WAIT_FAILED) Sleep(100);
    }
}

bool startPrimary(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    ForwardBlock& block = blockOf(state);
    state.mainStartedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, (name + L"_upr_evt").c_str()));
    state.target = {&setup.session, setup.stayAttached, state.mainStartedEvent.get(),
                    RegisterWindowMessageW(name.c_str())};
    block.messageId = state.target.message;
    block.primaryProcessId = GetCurrentProcessId();
    if (state.target.message != 0) {
        state.listenerThread.reset(CreateThread(nullptr, 0, forwardListener, &state, 0, &state.listenerThreadId));
    }
    if (!state.listenerThread) {
        trace("single instance: no listener (error ", GetLastError(), "); this start runs on its own");
        // Without the block, later starts run on their own too rather than wait for a listener.
        state.enabled = state.isPrimary = false;
        state.sharedBlock.reset();
        state.sharedMapping.reset();
    }
    return true;
}

// A block that no running primary answers for (another program's, or garbage)
// must not swallow the start: it runs on its own instead.
bool runAlone(SingleInstanceState& state) {
    state.enabled = state.isPrimary = false;
    state.primaryProcess.reset();
    state.sharedBlock.reset();
    state.sharedMapping.reset();
    return true;
}

bool forwardToPrimary(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    const size_t bytes = forwardedArgumentBytes(setup.arguments);
    if (bytes > kMaxForwardedArgumentBytes) {
        trace("single instance: the arguments take ", bytes, " bytes, more than the ", kMaxForwardedArgumentBytes,
              " the running program can take; nothing is forwarded");
        const std::wstring programName = setup.programPath.substr(folderWithBackslash(setup.programPath).size());
        showErrorMessage(kMsgForwardedArgumentsTooLong, programName, static_cast<int32_t>(bytes));
        return false;
    }
    ForwardBlock& block = blockOf(state);
    const ULONGLONG deadline = GetTickCount64() + kListenerWaitMs;
    DWORD listener = 0;
    while ((listener = listenerIdOf(block).load(std::memory_order_acquire)) == 0) {
        if (GetTickCount64() >= deadline) {
            trace("single instance: the running program never took requests");
            return false;
        }
        Sleep(10);
    }
    state.target.message = block.messageId;
    state.primaryProcess.reset(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, block.primaryProcessId));
    if (!state.primaryProcess) {
        trace("single instance: the running program's process cannot be opened (error ", GetLastError(),
              "); this start runs on its own");
        return runAlone(state);
    }
    makeMessageQueue();
    const UniqueHandle lock(CreateMutexW(nullptr, FALSE, (name + L"_upr_mtx").c_str()));
    const HANDLE lockOrPrimaryEnd[] = {lock.get(), state.primaryProcess.get()};
    const DWORD waited = lock ? WaitForMultipleObjects(2, lockOrPrimaryEnd, FALSE, INFINITE) : WAIT_FAILED;
    if (waited == WAIT_OBJECT_0 + 1) return true;  // the primary has ended: its exit code follows
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED_0) return false;
    const ScopeExit unlock([&] { ReleaseMutex(lock.get()); });
    (void)encodeForwardedArguments(setup.arguments, block.argumentArea);
    if (!PostThreadMessageW(listener, state.target.message, GetCurrentThreadId(), 0)) {
        trace("single instance: the request could not be posted (error ", GetLastError(),
              "); this start runs on its own");
        return runAlone(state);
    }
    WPARAM unused = 0;
    (void)waitForMessage(state.primaryProcess.get(), kArgumentsTakenMessage, unused);
    return true;
}

} // namespace

bool setupSingleInstance(SingleInstanceState& state, const SingleInstanceSetup& setup) {
    if (!setup.enabled) return true;
    if (setup.isService) {
        trace("single instance: never for a service");
        return true;
    }
    const std::wstring name = forwardInstanceName(setup.programPath);
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ForwardBlock), name.c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    state.sharedMapping.reset(mapping);
    if (mapping) state.sharedBlock.reset(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ForwardBlock)));
    if (!state.sharedBlock) {
        trace("single instance: no shared block ", Quoted{name}, " (error ", GetLastError(),
              "); this start runs on its own");
        state.sharedMapping.reset();
        return true;
    }
    state.enabled = true;
    state.isPrimary = !existed;
    trace("single instance: ", existed ? "a secondary of " : "the primary of ", Quoted{name});
    return existed ? forwardToPrimary(state, name, setup) : startPrimary(state, name, setup);
}

int waitForPrimary(SingleInstanceState& state) {
    if (!state.primaryProcess) return 0;
    WPARAM reply = 0;
    if (waitForMessage(state.primaryProcess.get(), state.target.message, reply)) {
        const int exitCode = static_cast<int>(static_cast<LONG_PTR>(reply));
        trace("single instance: the running program replied ", exitCode);
        return exitCode;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(state.primaryProcess.get(), &exitCode)) exitCode = 0;
    trace("single instance: the running program ended with ", static_cast<int>(exitCode), " before it replied");
    return static_cast<int>(exitCode);
}

void closeSingleInstance(SingleInstanceState& state) {
    if (state.listenerThread && !stopMessageLoopThread(state.listenerThread.get(), state.listenerThreadId, 5000)) {
        // It may still read the block, which then stays mapped until the process ends.
        trace("single instance: the listener thread did not end in time");
        (void)state.sharedBlock.release();
    }
    state.listenerThread.reset();
    state.sharedBlock.reset();
    state.sharedMapping.reset();
    state.mainStartedEvent.reset();
    state.primaryProcess.reset();
}

} // namespace jl
