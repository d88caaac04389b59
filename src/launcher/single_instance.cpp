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
//
// A primary that is ending has stopped its listener while its process, and so
// the block, may still be there. A secondary whose request then finds no
// listener takes the block over and leads in its place; it lets the mutex go
// only once its own listener is published, and every secondary reads the block
// again once it holds the mutex, so those queued behind it are handed to it.

namespace jl {

namespace {

// The listener's answer to a secondary: your arguments are copied.
constexpr UINT kArgumentsTakenMessage = WM_APP + 0x31;
// A primary fills the block moments after making it; one that never does has failed.
constexpr DWORD kListenerWaitMs = 10000;
constexpr DWORD kListenerStopMs = 5000;
constexpr wchar_t kEventSuffix[] = L"_upr_evt";
constexpr wchar_t kMutexSuffix[] = L"_upr_mtx";

ForwardBlock& blockIn(const UniqueView& view) {
    return *static_cast<ForwardBlock*>(const_cast<void*>(view.get()));
}

// The fields another process writes while this one reads them.
std::atomic_ref<uint32_t> listenerIdOf(ForwardBlock& block) { return std::atomic_ref<uint32_t>(block.listenerThreadId); }
DWORD primaryIdOf(ForwardBlock& block) {
    return std::atomic_ref<uint32_t>(block.primaryProcessId).load(std::memory_order_acquire);
}

// One request, owned by the worker thread that serves it.
struct ForwardRequest {
    DWORD sender;
    std::vector<std::wstring> arguments;
    std::shared_ptr<const ForwardTarget> target;  // the worker's share
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
    // A request that came before main is served once main starts; the event is
    // reset only before this primary's listener exists.
    if (WaitForSingleObject(target.mainStartedEvent.get(), INFINITE) != WAIT_OBJECT_0) return 1;
    const JvmSession session = target.session.current();
    if (!session.javaVm) return 1;
    const SecondaryReply reply{[](const void* context, jint result) {
                                   postReply(*static_cast<const ForwardRequest*>(context), result);
                               },
                               request.get()};
    const bool called = callSecondaryMain(session, request->arguments, target.stayAttached, reply);
    return called ? 0 : 1;
}

using ListenerShare = std::shared_ptr<ForwardListening>;

DWORD WINAPI forwardListener(void* parameter) {
    // This thread's share of what it reads, handed over by startPrimary.
    const std::unique_ptr<ListenerShare> share(static_cast<ListenerShare*>(parameter));
    const ForwardListening& listening = **share;
    ForwardBlock& block = blockIn(listening.block);
    makeMessageQueue();
    // Held up past its stop, it leaves before any secondary could post to it.
    if (listening.stopping.load()) return 0;
    // Published only now that the queue exists, so no request is posted into the void.
    listenerIdOf(block).store(GetCurrentThreadId(), std::memory_order_release);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != listening.target->message) continue;
        auto request = std::make_unique<ForwardRequest>(static_cast<DWORD>(message.wParam),
                                                        decodeForwardedArguments(block.argumentArea), listening.target);
        PostThreadMessageW(request->sender, kArgumentsTakenMessage, 0, 0);
        trace<TraceTopic::singleInstance>("request of thread {} with {} argument(s)", request->sender,
                                          request->arguments.size());
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

// The listener the block names, waiting a while for a primary that is still
// starting (or taking over); 0 when none comes.
DWORD waitForListener(ForwardBlock& block) {
    const ULONGLONG deadline = GetTickCount64() + kListenerWaitMs;
    for (;;) {
        if (const DWORD listener = listenerIdOf(block).load(std::memory_order_acquire)) return listener;
        if (GetTickCount64() >= deadline) return 0;
        // A thread that leaves its queue unread for 5 s counts as hung, and the
        // message box that may follow would at first answer nobody who reads it.
        makeMessageQueue();
        Sleep(10);
    }
}

HANDLE duplicated(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle) {
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    }
    return copy;
}

std::shared_ptr<ForwardTarget> makeTarget(const SingleInstanceState& state, const SingleInstanceSetup& setup) {
    auto target = std::make_shared<ForwardTarget>(&setup.session);
    target->stayAttached = setup.stayAttached;
    target->mainStartedEvent.reset(duplicated(state.mainStartedEvent.get()));
    target->message = state.message;
    return target;
}

// Leads: fills the block, which the listener then keeps, and starts the listener.
bool startPrimary(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    state.isPrimary = true;
    state.mainStartedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, (name + kEventSuffix).c_str()));
    // A primary still ending, which this one took over from, shares the event and
    // has set it: main has not started here.
    if (state.mainStartedEvent) ResetEvent(state.mainStartedEvent.get());
    state.message = RegisterWindowMessageW(name.c_str());
    auto listening = std::make_shared<ForwardListening>();
    listening->mapping = std::move(state.sharedMapping);
    listening->block = std::move(state.sharedBlock);
    listening->target = makeTarget(state, setup);
    ForwardBlock& block = blockIn(listening->block);
    block.messageId = state.message;
    block.primaryProcessId = GetCurrentProcessId();
    const bool ready = listening->target->mainStartedEvent && state.message != 0;
    auto* share = ready ? new ListenerShare(listening) : nullptr;
    if (share) state.listenerThread.reset(CreateThread(nullptr, 0, forwardListener, share, 0, &state.listenerThreadId));
    if (!state.listenerThread) {
        trace<TraceTopic::singleInstance>("no listener (error {}); this start runs on its own", GetLastError());
        delete share;
        // The block goes with `listening`, so later starts run on their own too
        // rather than wait for a listener.
        state.enabled = state.isPrimary = false;
        state.mainStartedEvent.reset();
        return true;
    }
    state.listening = std::move(listening);
    return true;
}

// A start that cannot take part (no mutex, a primary it may not reach) runs on its own.
bool runAlone(SingleInstanceState& state) {
    state.enabled = state.isPrimary = false;
    state.primaryProcess.reset();
    state.sharedBlock.reset();
    state.sharedMapping.reset();
    return true;
}

// The primary the block names no longer listens: it is ending, or the block
// holds garbage. This start leads in its place, under the mutex, and lets the
// mutex go only once its listener is published.
bool takeOver(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    trace<TraceTopic::singleInstance>("the running program no longer takes requests; this start takes its place");
    ForwardBlock& block = blockIn(state.sharedBlock);
    state.primaryProcess.reset();
    listenerIdOf(block).store(0, std::memory_order_release);
    (void)startPrimary(state, name, setup);
    // The listener keeps the block mapped once it runs.
    if (state.isPrimary && !waitForListener(block)) trace<TraceTopic::singleInstance>("the listener has not come up");
    return true;
}

enum class LockWait { held, primaryEnded, failed };

// Takes the request mutex, watching the primary the block names meanwhile: one
// that ends releases the wait, unless another start has taken over from it.
LockWait takeRequestLock(SingleInstanceState& state, ForwardBlock& block, HANDLE lock) {
    for (;;) {
        const DWORD primaryId = primaryIdOf(block);
        state.primaryProcess.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, primaryId));
        // Without the primary's process (gone, or garbage in the block) the mutex alone is waited for.
        const HANDLE lockOrPrimaryEnd[] = {lock, state.primaryProcess.get()};
        const DWORD waited = WaitForMultipleObjects(state.primaryProcess ? 2 : 1, lockOrPrimaryEnd, FALSE, INFINITE);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0) return LockWait::held;
        if (waited != WAIT_OBJECT_0 + 1) return LockWait::failed;
        if (primaryIdOf(block) == primaryId) return LockWait::primaryEnded;
    }
}

// True when the listener the block names has surely stopped: there is no such
// thread, it has ended, or it belongs to another process.
bool listenerGone(DWORD listener, HANDLE primary) {
    const UniqueHandle thread(OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, listener));
    if (!thread) return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0 ||
           GetProcessIdOfThread(thread.get()) != GetProcessId(primary);
}

// Under the mutex: hands the arguments to the primary the block names now (another
// start may have taken over while this one waited), or takes its place when that
// one surely no longer listens.
bool postRequest(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    ForwardBlock& block = blockIn(state.sharedBlock);
    state.primaryProcess.reset(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, primaryIdOf(block)));
    const bool primaryGone = !state.primaryProcess && GetLastError() == ERROR_INVALID_PARAMETER;
    const DWORD listener = listenerIdOf(block).load(std::memory_order_acquire);
    if (primaryGone || (state.primaryProcess && listenerGone(listener, state.primaryProcess.get()))) {
        return takeOver(state, name, setup);
    }
    if (!state.primaryProcess) {
        trace<TraceTopic::singleInstance>(
            "the running program's process cannot be opened (error {}); this start runs on its own", GetLastError());
        return runAlone(state);
    }
    state.message = block.messageId;
    (void)encodeForwardedArguments(setup.arguments, block.argumentArea);
    if (!PostThreadMessageW(listener, state.message, GetCurrentThreadId(), 0)) {
        const DWORD error = GetLastError();
        // The listener ended just now.
        if (error == ERROR_INVALID_THREAD_ID) return takeOver(state, name, setup);
        trace<TraceTopic::singleInstance>("the request could not be posted (error {}); this start runs on its own",
                                          error);
        return runAlone(state);
    }
    WPARAM unused = 0;
    (void)waitForMessage(state.primaryProcess.get(), kArgumentsTakenMessage, unused);
    return true;
}

bool forwardToPrimary(SingleInstanceState& state, const std::wstring& name, const SingleInstanceSetup& setup) {
    const std::wstring programName = setup.programPath.substr(folderWithBackslash(setup.programPath).size());
    const size_t bytes = forwardedArgumentBytes(setup.arguments);
    if (bytes > kMaxForwardedArgumentBytes) {
        trace<TraceTopic::singleInstance>(
            "the arguments take {} bytes, more than the {} the running program can take; nothing "
            "is forwarded",
            bytes, kMaxForwardedArgumentBytes);
        showErrorMessage(kMsgForwardedArgumentsTooLong, programName, static_cast<int32_t>(bytes));
        return false;
    }
    if (!waitForListener(blockIn(state.sharedBlock))) {
        trace<TraceTopic::singleInstance>("the running program never took requests");
        showErrorMessage(kMsgPrimaryNeverListened, programName);
        return false;
    }
    makeMessageQueue();
    const UniqueHandle lock(CreateMutexW(nullptr, FALSE, (name + kMutexSuffix).c_str()));
    if (!lock) {
        trace<TraceTopic::singleInstance>("no request mutex (error {}); this start runs on its own", GetLastError());
        return runAlone(state);
    }
    const LockWait waited = takeRequestLock(state, blockIn(state.sharedBlock), lock.get());
    if (waited == LockWait::primaryEnded) return true;  // its exit code follows
    if (waited == LockWait::failed) return false;
    const ScopeExit unlock([&] { ReleaseMutex(lock.get()); });
    return postRequest(state, name, setup);
}

// The event's and the mutex's names are the block's with a suffix, so a program
// path near the longest name the system takes gives a block but neither of them.
// Every start of that program then runs on its own, before any could wait on another.
bool namesAccepted(const std::wstring& name) {
    const std::wstring eventName = name + kEventSuffix, mutexName = name + kMutexSuffix;
    const UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    const UniqueHandle mutex(event ? CreateMutexW(nullptr, FALSE, mutexName.c_str()) : nullptr);
    if (mutex) return true;
    trace<TraceTopic::singleInstance>("the system refuses the name {} (error {}); single instance is off",
                                      Quoted{event ? mutexName : eventName}, GetLastError());
    return false;
}

} // namespace

JvmSession SessionLink::current() const {
    // One reader (the listener) and one writer: an exclusive lock costs nothing here.
    AcquireSRWLockExclusive(&lock_);
    const JvmSession session = session_ ? *session_ : JvmSession{};
    ReleaseSRWLockExclusive(&lock_);
    return session;
}

void SessionLink::cut() {
    AcquireSRWLockExclusive(&lock_);
    session_ = nullptr;
    ReleaseSRWLockExclusive(&lock_);
}

bool setupSingleInstance(SingleInstanceState& state, const SingleInstanceSetup& setup) {
    if (!setup.enabled) return true;
    if (setup.isService) {
        trace<TraceTopic::singleInstance>("never for a service");
        return true;
    }
    const std::wstring name = forwardInstanceName(setup.programPath);
    if (!namesAccepted(name)) return true;
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ForwardBlock), name.c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    state.sharedMapping.reset(mapping);
    if (mapping) state.sharedBlock.reset(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ForwardBlock)));
    if (!state.sharedBlock) {
        trace<TraceTopic::singleInstance>("no shared block {} (error {}); this start runs on its own", Quoted{name},
                                          GetLastError());
        state.sharedMapping.reset();
        return true;
    }
    state.enabled = true;
    trace<TraceTopic::singleInstance>("{}{}", existed ? "a secondary of " : "the primary of ", Quoted{name});
    return existed ? forwardToPrimary(state, name, setup) : startPrimary(state, name, setup);
}

int waitForPrimary(SingleInstanceState& state) {
    if (!state.primaryProcess) return 0;
    WPARAM reply = 0;
    if (waitForMessage(state.primaryProcess.get(), state.message, reply)) {
        const int exitCode = static_cast<int>(static_cast<LONG_PTR>(reply));
        trace<TraceTopic::singleInstance>("the running program replied {}", exitCode);
        return exitCode;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(state.primaryProcess.get(), &exitCode)) exitCode = 0;
    trace<TraceTopic::singleInstance>("the running program ended with {} before it replied",
                                      static_cast<int>(exitCode));
    return static_cast<int>(exitCode);
}

void closeSingleInstance(SingleInstanceState& state) {
    // The listener and its workers each hold a share of what they read, so a
    // listener that does not end in time is given up safely: it keeps the block
    // and the target until it ends. (A wait without a limit would not do: a
    // thread held in the system's DLL loading can block for any time.) Only the
    // launcher's session, which goes with the launcher, is cut off from them.
    if (state.listening) state.listening->stopping = true;
    if (state.listenerThread &&
        !stopMessageLoopThread(state.listenerThread.get(), state.listenerThreadId, kListenerStopMs)) {
        trace<TraceTopic::singleInstance>("the listener thread did not end in time; it keeps what it reads");
    }
    if (state.listening) state.listening->target->session.cut();
    state.listening.reset();
    state.listenerThread.reset();
    state.sharedBlock.reset();
    state.sharedMapping.reset();
    state.mainStartedEvent.reset();
    state.primaryProcess.reset();
}

} // namespace jl
