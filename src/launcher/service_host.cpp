#include "launcher/service_host.h"

#include "launcher/service_config.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr DWORD kStartWaitHintMs = 10000;
constexpr DWORD kCheckpointIntervalMs = 1000;
// Beyond "Stop Timeout", the time the launcher itself needs to end the process.
constexpr DWORD kStopSlackMs = 5000;

class LockGuard {
public:
    explicit LockGuard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~LockGuard() { ReleaseSRWLockExclusive(&lock_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    SRWLOCK& lock_;
};

} // namespace

ServiceHost::~ServiceHost() {
    if (wake_) SetEvent(wake_.get());
    if (watcher_) WaitForSingleObject(watcher_.get(), INFINITE);
    setMessageEventSource(nullptr);
}

void ServiceHost::routeMessagesToEventLog(const std::wstring& sourceName) {
    UniqueEventSource source(RegisterEventSourceW(nullptr, sourceName.c_str()));
    trace<TraceTopic::service>("messages go to the event log as {}{}", Quoted{sourceName},
                               source ? "" : " (which refused the source)");
    // Even without a source nothing may wait for a person: the message is then only traced.
    setMessageEventSource(source ? source.get() : INVALID_HANDLE_VALUE);
    eventSource_ = std::move(source);
}

bool ServiceHost::dispatch(const ServiceSettings& settings, LPSERVICE_MAIN_FUNCTIONW serviceMain) {
    settings_ = &settings;
    std::wstring name = settings.name;
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), serviceMain}, {nullptr, nullptr}};
    trace<TraceTopic::service>("connecting to the service manager as {}", Quoted{name});
    if (!StartServiceCtrlDispatcherW(table)) {
        trace<TraceTopic::service>("the service manager did not take the connection (error {})", GetLastError());
        return false;
    }
    trace<TraceTopic::service>("the service manager let go");
    return true;
}

bool ServiceHost::connect(void (*requestStop)(void*), void* context) {
    requestStop_ = requestStop;
    requestStopContext_ = context;
    statusHandle_ = RegisterServiceCtrlHandlerExW(settings_->name.c_str(), &ServiceHost::handleControl, this);
    if (!statusHandle_) {
        trace<TraceTopic::service>("the control handler could not be registered (error {})", GetLastError());
        return false;
    }
    status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    report(SERVICE_START_PENDING, kStartWaitHintMs);
    wake_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    watcher_.reset(CreateThread(nullptr, 0, &ServiceHost::watchPending, this, 0, nullptr));
    return true;
}

void ServiceHost::report(DWORD state, DWORD waitHintMs) {
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    status_.dwCheckPoint = pending ? (status_.dwCurrentState == state ? status_.dwCheckPoint + 1 : 1) : 0;
    status_.dwCurrentState = state;
    status_.dwWaitHint = pending ? waitHintMs : 0;
    status_.dwControlsAccepted = 0;
    if (state == SERVICE_RUNNING) {
        // A service that takes preshutdown is not sent shutdown.
        status_.dwControlsAccepted = SERVICE_ACCEPT_STOP | (settings_->preshutdownTimeoutSeconds
                                                                ? SERVICE_ACCEPT_PRESHUTDOWN
                                                                : SERVICE_ACCEPT_SHUTDOWN);
    }
    const bool told = SetServiceStatus(statusHandle_, &status_) != FALSE;
    trace<TraceTopic::service>("state {} checkpoint {}{}", static_cast<unsigned>(state),
                               static_cast<unsigned>(status_.dwCheckPoint),
                               told ? "" : " (the service manager refused it)");
}

void ServiceHost::advanceStart() {
    LockGuard guard(lock_);
    if (!stopped_ && status_.dwCurrentState == SERVICE_START_PENDING) report(SERVICE_START_PENDING, kStartWaitHintMs);
}

void ServiceHost::reportRunning() {
    if (!active()) return;
    LockGuard guard(lock_);
    if (!stopped_ && status_.dwCurrentState == SERVICE_START_PENDING) report(SERVICE_RUNNING, 0);
}

void ServiceHost::reportStopped(int exitCode) {
    if (!active()) return;
    LockGuard guard(lock_);
    if (stopped_) return;
    stopped_ = true;
    const ServiceExitCodes codes = serviceExitCodesFor(exitCode);
    status_.dwWin32ExitCode = codes.win32;
    status_.dwServiceSpecificExitCode = codes.serviceSpecific;
    trace<TraceTopic::service>("stopped with exit code {}", exitCode);
    report(SERVICE_STOPPED, 0);
    if (wake_) SetEvent(wake_.get());
}

DWORD WINAPI ServiceHost::handleControl(DWORD control, DWORD, void*, void* context) {
    auto* host = static_cast<ServiceHost*>(context);
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
        case SERVICE_CONTROL_PRESHUTDOWN:
            trace<TraceTopic::service>("control {} received", static_cast<unsigned>(control));
            host->beginStop();
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
        default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The handler must return at once: the Java side of the stop runs on a thread of its own.
void ServiceHost::beginStop() {
    {
        LockGuard guard(lock_);
        if (stopped_ || stopDeadline_ != 0) return;
        const DWORD timeoutMs = settings_->stopTimeoutSeconds * 1000u;
        stopDeadline_ = GetTickCount64() + timeoutMs;
        report(SERVICE_STOP_PENDING, timeoutMs + kStopSlackMs);
    }
    const UniqueHandle stopper(CreateThread(nullptr, 0, &ServiceHost::runStop, this, 0, nullptr));
    if (!stopper) trace<TraceTopic::service>("the stop thread could not be started (error {})", GetLastError());
}

DWORD WINAPI ServiceHost::runStop(void* context) {
    const auto* host = static_cast<ServiceHost*>(context);
    host->requestStop_(host->requestStopContext_);
    return 0;
}

DWORD WINAPI ServiceHost::watchPending(void* context) {
    auto* host = static_cast<ServiceHost*>(context);
    while (WaitForSingleObject(host->wake_.get(), kCheckpointIntervalMs) == WAIT_TIMEOUT) {
        LockGuard guard(host->lock_);
        if (host->stopped_) break;
        const DWORD state = host->status_.dwCurrentState;
        if (state == SERVICE_START_PENDING) host->report(state, kStartWaitHintMs);
        if (state != SERVICE_STOP_PENDING) continue;
        if (GetTickCount64() >= host->stopDeadline_) host->endOverdueStop();
        host->report(state, static_cast<DWORD>(host->stopDeadline_ - GetTickCount64()) + kStopSlackMs);
    }
    return 0;
}

// Under the lock: a stop that overran "Stop Timeout" ends the process as the
// stop would have, and the service manager hears it first.
void ServiceHost::endOverdueStop() {
    showErrorText(formatMessage(loadString(kMsgStopTimedOut),
                                {settings_->name, static_cast<int32_t>(settings_->stopTimeoutSeconds)}));
    stopped_ = true;
    status_.dwWin32ExitCode = 0;
    status_.dwServiceSpecificExitCode = 0;
    report(SERVICE_STOPPED, 0);
    TerminateProcess(GetCurrentProcess(), 0);
}

} // namespace jl
