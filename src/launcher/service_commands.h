#pragma once
// The service commands an installer or an administrator runs: install,
// uninstall, start, stop and status of the program as a Windows service.

#include <string>

#include "launcher/service_config.h"
#include "settings/launcher_settings.h"

namespace jl {

struct ServiceCommandContext {
    const LauncherSettings& settings;
    const std::wstring& programPath;
    bool quiet = false;
    // Whether this process may change services; processHasAdministratorRights when null.
    bool (*hasAdministratorRights)() = nullptr;
};

// Membership of the token in Administrators that counts: under UAC an
// unelevated administrator's token holds the group for denial only.
[[nodiscard]] bool processHasAdministratorRights();

// Runs one command and answers with the process exit code: 0 or the system's
// error code (5 without administrator rights, 50 for a program that is not a
// service); "--service-status" answers 0 running, 3 not running, 1 not
// installed. Its message goes where every message goes, unless quiet.
[[nodiscard]] int runServiceCommand(ServiceCommand command, const ServiceCommandContext& context);

} // namespace jl
