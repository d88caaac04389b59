#pragma once
// Starting the launcher copy of an AppFolder with the trace on and APPDATA
// pointing into the folder, so no start sees another test's per-user files.

#include <map>
#include <string>

#include "launcher/forward_block.h"
#include "rig/app_folder.h"
#include "rig/launched_process.h"

namespace jltest {

[[nodiscard]] inline std::map<std::wstring, std::wstring> launcherEnvironment(const AppFolder& app) {
    // An empty value removes the variable: a JAVA_HOME of the machine's own must not choose the runtime.
    return {{L"JLAUNCHER_LOG", app.tracePath()}, {L"APPDATA", app.appDataFolder()}, {L"JAVA_HOME", L""}};
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

// Waits until a single-instance primary started from the AppFolder's program
// takes forwarded starts (its listener's id is in the shared block).
[[nodiscard]] inline bool waitForListeningPrimary(const AppFolder& app, DWORD timeoutMs = 30000) {
    const std::wstring name = jl::forwardInstanceName(app.exePath());
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; GetTickCount64() < deadline; Sleep(20)) {
        const jl::UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
        const jl::UniqueView view(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
        if (view && static_cast<const jl::ForwardBlock*>(view.get())->listenerThreadId != 0) return true;
    }
    return false;
}

// A folder of the build tree, given relative to it, as a full path.
[[nodiscard]] inline std::wstring buildFolder(std::wstring_view relative) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW((testProgramFolder() + L"\\..\\" + std::wstring(relative)).c_str(), MAX_PATH, full, nullptr);
    return full;
}

// A home of the probe runtime built beside the tests, ending in "\\".
[[nodiscard]] inline std::wstring probeRuntimeHome(std::wstring_view variant = L"probe") {
    return buildFolder(L"runtimes\\" + std::wstring(variant) + L"\\");
}

// The jvm.dll a launch chose, read from the message that reports it could not be
// loaded (test runtimes made of placeholder files end there); empty without one.
[[nodiscard]] inline std::wstring failedJvmLibrary(const LaunchOutcome& outcome) {
    constexpr std::wstring_view kPrefix = L"Failed to load Java VM library: ";
    for (const DialogSnapshot& message : outcome.messages) {
        if (message.text.rfind(kPrefix, 0) != 0) continue;
        const size_t end = message.text.rfind(L" (errno = ");
        if (end != std::wstring::npos) return message.text.substr(kPrefix.size(), end - kPrefix.size());
    }
    return {};
}

} // namespace jltest
