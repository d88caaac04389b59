#pragma once
// The text side of running as a Windows service: the service commands on the
// command line, the configuration handed to the service manager, the stop
// method's name, and the codes the service ends with. Platform-neutral: the
// numbers are the service manager's own, which never change.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/launcher_settings.h"

namespace jl {

enum class ServiceCommand { none, install, uninstall, start, stop, status, run };

struct ServiceRequest {
    ServiceCommand command = ServiceCommand::none;
    bool quiet = false;  // "--quiet" after the command: no message, only the exit code
};

// The command when the first argument names one ("--install-service", ...,
// "--run-service"); every other start is an ordinary launch.
[[nodiscard]] ServiceRequest serviceRequestFrom(const std::vector<std::wstring>& arguments);

inline constexpr uint32_t kServiceAutoStart = 2;    // SERVICE_AUTO_START
inline constexpr uint32_t kServiceDemandStart = 3;  // SERVICE_DEMAND_START
inline constexpr uint32_t kServiceDisabled = 4;     // SERVICE_DISABLED
inline constexpr uint32_t kServiceRunning = 4;      // SERVICE_RUNNING
inline constexpr uint32_t kServiceSpecificError = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR
inline constexpr uint32_t kFailureResetSeconds = 24 * 60 * 60;
// The service-specific code of a start that found no Java runtime: one with
// the customer bit set, so no program's own exit code is taken for it.
inline constexpr uint32_t kNoRuntimeServiceCode = 0x20000001;

// What the service manager is given at install.
struct ServiceConfig {
    std::wstring name;
    std::wstring displayName;
    std::wstring description;
    std::wstring imagePath;  // "<program>" --run-service
    uint32_t startType = kServiceAutoStart;
    bool delayedAutoStart = false;
    std::wstring account;       // empty for LocalSystem
    std::wstring dependencies;  // each name and a NUL, then the NUL that ends the list; empty for none
    std::vector<uint32_t> restartDelaysMs;  // one restart per failure (first, second, later); empty for none
    uint32_t failureResetSeconds = kFailureResetSeconds;
    uint32_t preshutdownTimeoutMs = 0;  // 0: leave the system's own
};

[[nodiscard]] ServiceConfig serviceConfigFor(const ServiceSettings& settings, std::wstring_view programPath);

// "Class.method" or "method" (of the main class): the class with "/" separators, empty for the main class.
struct StopMethodName {
    std::wstring className;
    std::wstring method;
};
[[nodiscard]] StopMethodName stopMethodFrom(std::wstring_view text);

// How a program's exit code reaches the service manager: 0 as a clean stop,
// anything else as a service-specific error carrying the code.
struct ServiceExitCodes {
    uint32_t win32 = 0;
    uint32_t serviceSpecific = 0;
};
[[nodiscard]] ServiceExitCodes serviceExitCodesFor(int exitCode);

// "--service-status" answers as other service hosts do: 0 running, 3 not running, 1 not installed.
[[nodiscard]] int serviceStatusExitCode(bool installed, uint32_t state);

} // namespace jl
