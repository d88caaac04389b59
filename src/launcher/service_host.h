#pragma once
// The launcher as a service: the connection to the service manager, the state
// it is told, the control handler, and the watch over a stop that takes too long.

#include <windows.h>

#include <atomic>
#include <string>

#include "settings/launcher_settings.h"
#include "support/unique_resource.h"

namespace jl {

class ServiceHost {
public:
    ServiceHost() = default;
    ~ServiceHost();
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // From now on every message goes to the Application event log under that source.
    void routeMessagesToEventLog(const std::wstring& sourceName);
    // Hands the thread to the service manager until the service has stopped;
    // serviceMain runs on the service's own thread meanwhile. False when the
    // manager did not start this process.
    [[nodiscard]] bool dispatch(const ServiceSettings& settings, LPSERVICE_MAIN_FUNCTIONW serviceMain);
    // First thing on the service's thread: registers the control handler and
    // reports START_PENDING. requestStop(context) runs on a thread of its own
    // when a stop, shutdown or preshutdown comes.
    [[nodiscard]] bool connect(void (*requestStop)(void* context), void* context);
    [[nodiscard]] bool active() const { return statusHandle_ != nullptr; }

    void advanceStart();
    void reportRunning();
    // STOPPED with the program's exit code: 0 as a clean stop, any other as a
    // service-specific error. Only the first report counts.
    void reportStopped(int exitCode);

private:
    static DWORD WINAPI handleControl(DWORD control, DWORD eventType, void* eventData, void* context);
    static DWORD WINAPI watchPending(void* context);
    static DWORD WINAPI runStop(void* context);
    void beginStop();
    // Sets the state under the lock; the checkpoint advances in the pending states.
    void report(DWORD state, DWORD waitHintMs);
    void endOverdueStop();

    const ServiceSettings* settings_ = nullptr;
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;  // the manager's, never closed
    UniqueEventSource eventSource_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    SERVICE_STATUS status_{};
    bool stopped_ = false;
    ULONGLONG stopDeadline_ = 0;  // 0 until a stop was asked for
    void (*requestStop_)(void*) = nullptr;
    void* requestStopContext_ = nullptr;
    UniqueHandle wake_;     // ends the watch once the service stopped
    UniqueHandle watcher_;  // advances the checkpoints and ends an overdue stop
};

} // namespace jl
