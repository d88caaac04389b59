#include "launcher/service_config.h"

#include <utility>

#include "settings/settings_values.h"
#include "support/string_text.h"

namespace jl {

ServiceRequest serviceRequestFrom(const std::vector<std::wstring>& arguments) {
    constexpr std::pair<std::string_view, ServiceCommand> kCommands[] = {
        {"--install-service", ServiceCommand::install}, {"--uninstall-service", ServiceCommand::uninstall},
        {"--start-service", ServiceCommand::start},     {"--stop-service", ServiceCommand::stop},
        {"--service-status", ServiceCommand::status},   {"--run-service", ServiceCommand::run}};
    ServiceRequest request;
    if (arguments.empty()) return request;
    for (const auto& [text, command] : kCommands) {
        if (equalsAscii(arguments.front(), text)) request.command = command;
    }
    // The service's own program arguments are the Java program's, whatever they say.
    if (request.command == ServiceCommand::none || request.command == ServiceCommand::run) return request;
    for (size_t i = 1; i < arguments.size(); ++i) request.quiet = request.quiet || arguments[i] == L"--quiet";
    return request;
}

namespace {

uint32_t startTypeValue(ServiceStartType type) {
    switch (type) {
        case ServiceStartType::manual: return kServiceDemandStart;
        case ServiceStartType::disabled: return kServiceDisabled;
        case ServiceStartType::automatic:
        case ServiceStartType::delayed: break;
    }
    return kServiceAutoStart;
}

// LocalSystem is the service manager's default, named by no account at all.
std::wstring accountName(ServiceAccount account) {
    switch (account) {
        case ServiceAccount::localService: return L"NT AUTHORITY\\LocalService";
        case ServiceAccount::networkService: return L"NT AUTHORITY\\NetworkService";
        case ServiceAccount::localSystem: break;
    }
    return {};
}

} // namespace

ServiceConfig serviceConfigFor(const ServiceSettings& settings, std::wstring_view programPath) {
    ServiceConfig config;
    config.name = settings.name;
    config.displayName = settings.displayName;
    config.description = settings.description;
    config.imagePath = L"\"" + std::wstring(programPath) + L"\" --run-service";
    config.startType = startTypeValue(settings.startType);
    config.delayedAutoStart = settings.startType == ServiceStartType::delayed;
    config.account = accountName(settings.account);
    for (const std::wstring& name : settings.dependencies) {
        config.dependencies += name;
        config.dependencies += L'\0';
    }
    if (!config.dependencies.empty()) config.dependencies += L'\0';
    if (settings.restartDelaySeconds) config.restartDelaysMs.assign(3, *settings.restartDelaySeconds * 1000u);
    config.preshutdownTimeoutMs = settings.preshutdownTimeoutSeconds * 1000u;
    return config;
}

StopMethodName stopMethodFrom(std::wstring_view text) {
    const size_t dot = text.rfind(L'.');
    if (dot == std::wstring_view::npos) return {{}, std::wstring(text)};
    return {internalClassName(text.substr(0, dot)), std::wstring(text.substr(dot + 1))};
}

ServiceExitCodes serviceExitCodesFor(int exitCode) {
    if (exitCode == 0) return {};
    return {kServiceSpecificError, static_cast<uint32_t>(exitCode)};
}

int serviceStatusExitCode(bool installed, uint32_t state) {
    if (!installed) return 1;
    return state == kServiceRunning ? 0 : 3;
}

} // namespace jl
