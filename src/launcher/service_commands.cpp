#include "launcher/service_commands.h"

#include <windows.h>

#include <vector>

#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/unique_resource.h"

namespace jl {

namespace {

constexpr wchar_t kEventLogSources[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr DWORD kStartWaitMs = 120000;
constexpr DWORD kStopWaitSlackMs = 15000;
constexpr DWORD kPollMs = 100;

// The command's message and exit code; a failure's message is an error's, the rest are news.
int answer(const ServiceCommandContext& context, int exitCode, unsigned id, int32_t number = 0, bool failed = false) {
    const std::wstring text = formatMessage(loadString(id), {context.settings.service.name, number});
    trace<TraceTopic::service>("command ends with {}: {}", exitCode, Quoted{text});
    if (context.quiet) return exitCode;
    if (failed) {
        showErrorText(text);
    } else {
        showInformationText(text);
    }
    return exitCode;
}

int failure(const ServiceCommandContext& context, unsigned id, DWORD error) {
    return answer(context, static_cast<int>(error), id, static_cast<int32_t>(error), true);
}

// The status once it has left the pending state, or when the time is up.
SERVICE_STATUS_PROCESS waitWhile(SC_HANDLE service, DWORD pendingState, DWORD timeoutMs) {
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(kPollMs)) {
        if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                                  &size) ||
            status.dwCurrentState != pendingState || GetTickCount64() >= deadline) {
            return status;
        }
    }
}

// 0 once the service has stopped; else the error (ERROR_SERVICE_NOT_ACTIVE when it was not running).
DWORD stopAndWait(SC_HANDLE service, DWORD timeoutMs) {
    SERVICE_STATUS status{};
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) return GetLastError();
    if (waitWhile(service, SERVICE_STOP_PENDING, timeoutMs).dwCurrentState == SERVICE_STOPPED) return 0;
    return ERROR_SERVICE_REQUEST_TIMEOUT;
}

bool setConfig(SC_HANDLE service, DWORD level, void* info) {
    const bool set = ChangeServiceConfig2W(service, level, info) != FALSE;
    trace<TraceTopic::service>("configuration {}{}{}", static_cast<unsigned>(level), set ? " set" : " refused, error ",
                               set ? 0 : GetLastError());
    return set;
}

// What CreateServiceW takes no part of.
bool setFurtherConfig(SC_HANDLE service, ServiceConfig& config) {
    SERVICE_DESCRIPTIONW description{config.description.data()};
    if (!config.description.empty() && !setConfig(service, SERVICE_CONFIG_DESCRIPTION, &description)) return false;
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    if (config.delayedAutoStart && !setConfig(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed)) return false;
    SERVICE_PRESHUTDOWN_INFO preshutdown{config.preshutdownTimeoutMs};
    if (config.preshutdownTimeoutMs && !setConfig(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown)) return false;
    if (config.restartDelaysMs.empty()) return true;
    std::vector<SC_ACTION> actions;
    for (const uint32_t delay : config.restartDelaysMs) actions.push_back({SC_ACTION_RESTART, delay});
    SERVICE_FAILURE_ACTIONSW failureActions{};
    failureActions.dwResetPeriod = config.failureResetSeconds;
    failureActions.cActions = static_cast<DWORD>(actions.size());
    failureActions.lpsaActions = actions.data();
    // The program reports its own failures as STOPPED with an error code; by
    // default the manager restarts only services whose process vanished.
    SERVICE_FAILURE_ACTIONS_FLAG onErrorCodes{TRUE};
    return setConfig(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failureActions) &&
           setConfig(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onErrorCodes);
}

// The service's name as an event source whose messages the program's own message table holds.
LSTATUS registerEventSource(const std::wstring& name, const std::wstring& programPath) {
    UniqueKey key;
    LSTATUS result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kEventLogSources + name).c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE, nullptr, key.put(), nullptr);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_EXPAND_SZ,
                                reinterpret_cast<const BYTE*>(programPath.c_str()),
                                static_cast<DWORD>((programPath.size() + 1) * sizeof(wchar_t)));
    }
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                                sizeof types);
    }
    return result;
}

int install(const ServiceCommandContext& context) {
    ServiceConfig config = serviceConfigFor(context.settings.service, context.programPath);
    const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    const UniqueServiceHandle service(
        manager ? CreateServiceW(manager.get(), config.name.c_str(), config.displayName.c_str(), SERVICE_ALL_ACCESS,
                                 SERVICE_WIN32_OWN_PROCESS, config.startType, SERVICE_ERROR_NORMAL,
                                 config.imagePath.c_str(), nullptr, nullptr,
                                 config.dependencies.empty() ? nullptr : config.dependencies.c_str(),
                                 config.account.empty() ? nullptr : config.account.c_str(), nullptr)
                : nullptr);
    if (!service) return failure(context, kMsgServiceInstallFailed, GetLastError());
    trace<TraceTopic::service>("created {} with the command line {}", Quoted{config.name}, Quoted{config.imagePath});
    LSTATUS result = ERROR_SUCCESS;
    if (!setFurtherConfig(service.get(), config)) result = static_cast<LSTATUS>(GetLastError());
    if (result == ERROR_SUCCESS) result = registerEventSource(config.name, context.programPath);
    if (result != ERROR_SUCCESS) {
        // Half a service is worse than none: the command can simply be run again.
        DeleteService(service.get());
        return failure(context, kMsgServiceInstallFailed, static_cast<DWORD>(result));
    }
    return answer(context, 0, kMsgServiceInstalled);
}

int uninstall(const ServiceCommandContext& context, SC_HANDLE service) {
    const ServiceSettings& settings = context.settings.service;
    const DWORD error = stopAndWait(service, settings.stopTimeoutSeconds * 1000u + kStopWaitSlackMs);
    if (error && error != ERROR_SERVICE_NOT_ACTIVE) {
        trace<TraceTopic::service>("the service could not be stopped first (error {}); removing it anyway", error);
    }
    if (!DeleteService(service)) return failure(context, kMsgServiceRemoveFailed, GetLastError());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kEventLogSources + settings.name).c_str());
    return answer(context, 0, kMsgServiceRemoved);
}

int start(const ServiceCommandContext& context, SC_HANDLE service) {
    if (!StartServiceW(service, 0, nullptr)) return failure(context, kMsgServiceStartFailed, GetLastError());
    const SERVICE_STATUS_PROCESS status = waitWhile(service, SERVICE_START_PENDING, kStartWaitMs);
    if (status.dwCurrentState == SERVICE_RUNNING) return answer(context, 0, kMsgServiceRunning);
    if (status.dwCurrentState != SERVICE_STOPPED) return failure(context, kMsgServiceStartFailed, ERROR_SERVICE_REQUEST_TIMEOUT);
    if (status.dwWin32ExitCode == 0) return answer(context, 0, kMsgServiceNotRunning);
    const DWORD code = status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR ? status.dwServiceSpecificExitCode
                                                                             : status.dwWin32ExitCode;
    return answer(context, static_cast<int>(status.dwWin32ExitCode), kMsgServiceEndedAtStart,
                  static_cast<int32_t>(code), true);
}

int stop(const ServiceCommandContext& context, SC_HANDLE service) {
    if (const DWORD error = stopAndWait(service, context.settings.service.stopTimeoutSeconds * 1000u + kStopWaitSlackMs)) {
        return failure(context, kMsgServiceStopFailed, error);
    }
    return answer(context, 0, kMsgServiceNotRunning);
}

int status(const ServiceCommandContext& context, SC_HANDLE service) {
    SERVICE_STATUS_PROCESS state{};
    DWORD size = 0;
    if (service) {
        (void)QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&state), sizeof state, &size);
    }
    const int code = serviceStatusExitCode(service != nullptr, state.dwCurrentState);
    return answer(context, code, code == 0 ? kMsgServiceRunning : code == 3 ? kMsgServiceNotRunning : kMsgServiceNotInstalled);
}

// What each command on an installed service opens it for, and the message its failure to open it gives.
struct OpenedCommand {
    int (*run)(const ServiceCommandContext&, SC_HANDLE);
    DWORD access;
    unsigned failureId;
};

} // namespace

bool processHasAdministratorRights() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueNullable<PSID, &FreeSid> administrators;
    BOOL member = FALSE;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.put()) ||
        !CheckTokenMembership(nullptr, administrators.get(), &member)) {
        return false;
    }
    return member != FALSE;
}

int runServiceCommand(ServiceCommand command, const ServiceCommandContext& context) {
    if (!context.settings.application.isService) {
        trace<TraceTopic::service>("\"Application Type\" is not \"service\"; the command is refused");
        if (!context.quiet) showErrorText(formatMessage(loadString(kMsgNotAService), {context.programPath}));
        return ERROR_NOT_SUPPORTED;
    }
    const auto mayChange = [&] {
        return context.hasAdministratorRights ? context.hasAdministratorRights() : processHasAdministratorRights();
    };
    if (command != ServiceCommand::status && !mayChange()) {
        return answer(context, ERROR_ACCESS_DENIED, kMsgNeedsAdministrator, 0, true);
    }
    if (command == ServiceCommand::install) return install(context);
    static constexpr OpenedCommand kCommands[] = {
        {uninstall, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE, kMsgServiceRemoveFailed},
        {start, SERVICE_START | SERVICE_QUERY_STATUS, kMsgServiceStartFailed},
        {stop, SERVICE_STOP | SERVICE_QUERY_STATUS, kMsgServiceStopFailed},
        {status, SERVICE_QUERY_STATUS, kMsgServiceStartFailed},
    };
    if (command < ServiceCommand::uninstall || command > ServiceCommand::status) return ERROR_INVALID_FUNCTION;
    const OpenedCommand& opened = kCommands[static_cast<int>(command) - static_cast<int>(ServiceCommand::uninstall)];
    const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueServiceHandle service(
        manager ? OpenServiceW(manager.get(), context.settings.service.name.c_str(), opened.access) : nullptr);
    // "--service-status" answers for a service that is not installed as well.
    if (!service && (command != ServiceCommand::status || GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST)) {
        return failure(context, opened.failureId, GetLastError());
    }
    return opened.run(context, service.get());
}

} // namespace jl
