#pragma once
// Starting the launcher copy of an AppFolder with the trace on and APPDATA
// pointing into the folder, so no start sees another test's per-user files.

#include <map>
#include <string>

#include "rig/app_folder.h"
#include "rig/launched_process.h"

namespace jltest {

[[nodiscard]] inline std::map<std::wstring, std::wstring> launcherEnvironment(const AppFolder& app) {
    return {{L"JLAUNCHER_LOG", app.tracePath()}, {L"APPDATA", app.appDataFolder()}};
}

// Runs the launcher to its end, answering every message box with OK and the
// JRE Not Found dialog with Cancel.
[[nodiscard]] inline LaunchOutcome runLauncher(const AppFolder& app, const std::wstring& argumentsText = {},
                                               std::map<std::wstring, std::wstring> environment = {}) {
    std::map<std::wstring, std::wstring> merged = launcherEnvironment(app);
    for (auto& [name, value] : environment) merged[name] = value;
    LaunchedProcess process = LaunchedProcess::start(app.exePath(), argumentsText, merged);
    return process.finish();
}

} // namespace jltest
