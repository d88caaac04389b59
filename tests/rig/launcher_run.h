#pragma once
// Starting the launcher copy of an AppFolder with the trace on and APPDATA
// pointing into the folder, so no start sees another test's per-user files.

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "launcher/forward_block.h"
#include "settings/embedded_settings.h"
#include "settings/settings_cipher.h"
#include "support/unique_resource.h"
#include "support/win_text.h"
#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "runtimes/probe/probe_record.h"

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

// The launch showed exactly one message, with that text, and ended with that exit code.
inline void expectEndedWithMessage(const LaunchOutcome& outcome, std::wstring_view text, int exitCode = -1) {
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, text);
    EXPECT_EQ(outcome.exitCode, exitCode);
}

// The launch showed exactly one message, beginning with start and holding part
// further on, and ended with that exit code (any when none is given).
inline void expectEndedWithMessageLike(const LaunchOutcome& outcome, std::wstring_view start, std::wstring_view part,
                                       std::optional<int> exitCode) {
    ASSERT_EQ(outcome.messages.size(), 1u);
    const std::wstring& text = outcome.messages[0].text;
    EXPECT_TRUE(text.starts_with(start)) << ::testing::PrintToString(text);
    EXPECT_NE(text.find(part, start.size()), std::wstring::npos) << ::testing::PrintToString(text);
    if (exitCode) {
        EXPECT_EQ(outcome.exitCode, exitCode);
    }
}

// The launch showed no message and ended with that exit code.
inline void expectEndedWithoutMessage(const LaunchOutcome& outcome, int exitCode = 0) {
    EXPECT_TRUE(outcome.messages.empty()) << jl::toUtf8(outcome.messages.empty() ? L"" : outcome.messages[0].text);
    EXPECT_EQ(outcome.exitCode, exitCode);
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

// INI text for a launch of a class of the launch-report jar (and classPathExtra) on
// the bridge runtime (real HotSpot); the [Application] section comes last, open.
[[nodiscard]] inline std::wstring bridgeRuntimeIni(std::wstring_view mainClass, std::wstring_view runtimeLines = {},
                                                   std::wstring_view classPathExtra = {}) {
    return L"[Java Runtime Environment]\nJRE Path=" + buildFolder(L"runtimes\\bridge\\") + L"\nMain Class=" +
           std::wstring(mainClass) + L"\n" + std::wstring(runtimeLines) + L"[Class Path]\nClass Path=" +
           buildFolder(L"runtimes\\launch-report\\launch-report.jar") + std::wstring(classPathExtra) +
           L"\n[Application]\n";
}

// The libjvm.so of a Java 25 or later JDK on this machine, for the bridge; empty without one.
[[nodiscard]] inline std::wstring modernHotSpot() {
    WIN32_FIND_DATAW found;
    jl::UniqueFind search(FindFirstFileW(L"Z:\\usr\\lib\\jvm\\*", &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
        const std::wstring home = std::wstring(L"/usr/lib/jvm/") + found.cFileName;
        const std::string release = readBytesFile(L"Z:" + home + L"/release");
        const size_t version = release.find("JAVA_VERSION=\"");
        if (version != std::string::npos && std::atoi(release.c_str() + version + 14) >= 25 &&
            fileExists(L"Z:" + home + L"/lib/server/libjvm.so")) {
            return home + L"/lib/server/libjvm.so";
        }
    }
    return {};
}

// The same, writing to out.txt and err.txt in the folder; applicationLines go into [Application].
[[nodiscard]] inline std::wstring bridgeIni(const AppFolder& app, std::wstring_view mainClass,
                                            std::wstring_view applicationLines = {}) {
    return bridgeRuntimeIni(mainClass) + L"Output File=" + app.path(L"out.txt") + L"\nError File=" +
           app.path(L"err.txt") + L"\n" + std::wstring(applicationLines);
}

// A text's lines, without their line ends.
[[nodiscard]] inline std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// A text file's lines, without their line ends.
[[nodiscard]] inline std::vector<std::string> fileLines(const std::wstring& path) { return textLines(readBytesFile(path)); }

// The "key value" lines the launch-report program writes, by key.
[[nodiscard]] inline std::map<std::string, std::string> reportValues(const std::wstring& path) {
    std::map<std::string, std::string> values;
    for (const std::string& line : fileLines(path)) {
        const size_t space = line.find(' ');
        values[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return values;
}

// Copies the probe runtime to home, its VM as <home>\<vmFolder>\jvm.dll; no VM when vmFolder is empty.
inline bool copyProbeRuntime(const std::wstring& home, std::wstring_view vmFolder = L"bin\\server") {
    const auto made = [](const std::wstring& folder) {
        const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
    };
    const std::wstring probe = probeRuntimeHome(), vm = home + L"\\" + std::wstring(vmFolder);
    return made(home + L"\\bin") &&
           CopyFileW((probe + L"bin\\java.dll").c_str(), (home + L"\\bin\\java.dll").c_str(), FALSE) &&
           (vmFolder.empty() ||
            (made(vm) && CopyFileW((probe + L"bin\\server\\jvm.dll").c_str(), (vm + L"\\jvm.dll").c_str(), FALSE)));
}

// INI text for a launch of app.Main from C:\app.jar: runtimeLines go into
// [Java Runtime Environment], moreSections after it.
[[nodiscard]] inline std::wstring probeIni(std::wstring_view runtimeLines = {}, std::wstring_view moreSections = {}) {
    return L"[Java Runtime Environment]\nMain Class=app.Main\n" + std::wstring(runtimeLines) +
           L"[Class Path]\nClass Path=C:\\app.jar\n" + std::wstring(moreSections);
}

// The launcher's environment plus the probe runtime's record file and, unless empty, its scenario.
[[nodiscard]] inline std::map<std::wstring, std::wstring> probeEnvironment(const AppFolder& app,
                                                                          std::wstring_view scenario = {}) {
    std::map<std::wstring, std::wstring> environment = launcherEnvironment(app);
    environment[L"JL_PROBE_RECORD"] = app.path(L"probe.log");
    if (!scenario.empty()) environment[L"JL_PROBE_SCENARIO"] = std::wstring(scenario);
    return environment;
}

// The probe's record lines of one event (every line when empty).
[[nodiscard]] inline std::vector<std::string> probeEvents(const AppFolder& app, std::string_view event = {}) {
    std::vector<std::string> found;
    for (const std::string& line : probe::readRecord(app.path(L"probe.log"))) {
        if (event.empty() || probe::eventOf(line) == event) found.push_back(line);
    }
    return found;
}

// The JVM options the probe was given, decoded, the hooks as "vfprintf", "exit" and "abort".
[[nodiscard]] inline std::vector<std::string> probeOptionTexts(const AppFolder& app) {
    std::vector<std::string> texts;
    for (const std::string& line : probeEvents(app, "option")) {
        texts.push_back(probe::percentDecoded(*probe::fieldOf(line, "text")));
    }
    return texts;
}

// The arguments the probe's main class was given.
[[nodiscard]] inline std::vector<std::wstring> probeMainArguments(const AppFolder& app) {
    std::vector<std::wstring> arguments;
    for (const std::string& line : probeEvents(app, "arg")) {
        arguments.push_back(probe::utf16FromHex(*probe::fieldOf(line, "utf16")));
    }
    return arguments;
}

// How often the probe called a Java program's main, and waiting until it has.
[[nodiscard]] inline size_t probeMainCalls(const AppFolder& app) {
    return std::ranges::count_if(probeEvents(app, "call"),
                                 [](const std::string& line) { return probe::fieldOf(line, "method") == "main"; });
}
[[nodiscard]] inline bool waitForProbeMainCalls(const AppFolder& app, size_t calls, DWORD timeoutMs = 30000) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; GetTickCount64() < deadline; Sleep(50)) {
        if (probeMainCalls(app) >= calls) return true;
    }
    return false;
}

// Settings embedded in the app's program as jlpack would, the key text enciphered
// with keyCode; the settings resource cut to settingsBytes bytes when given.
inline void embedSettings(const AppFolder& app, std::wstring_view settings, const std::string& keyCode,
                          std::optional<size_t> settingsBytes = {}) {
    const std::wstring secondKey = L"second key text";
    std::vector<unsigned char> key(reinterpret_cast<const unsigned char*>(secondKey.data()),
                                   reinterpret_cast<const unsigned char*>(secondKey.data() + secondKey.size()));
    const std::wstring text = crlfLines(settings);
    std::vector<unsigned char> data(reinterpret_cast<const unsigned char*>(text.data()),
                                    reinterpret_cast<const unsigned char*>(text.data() + text.size()));
    jl::applySettingsCipher(keyCode, key);
    jl::applySettingsCipher(jl::toAnsiString(secondKey), data);
    data.resize(std::min(data.size(), settingsBytes.value_or(data.size())));
    const HANDLE update = BeginUpdateResourceW(app.exePath().c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    const bool written =
        UpdateResourceW(update, RT_RCDATA, MAKEINTRESOURCEW(jl::kEmbeddedKeyResource), neutral, key.data(),
                        static_cast<DWORD>(key.size())) &&
        UpdateResourceW(update, RT_RCDATA, MAKEINTRESOURCEW(jl::kEmbeddedSettingsResource), neutral, data.data(),
                        static_cast<DWORD>(data.size()));
    ASSERT_TRUE(EndUpdateResourceW(update, !written) && written);
}

// Where the probe's jvm.dll was loaded from (UTF-8); empty when it was not.
[[nodiscard]] inline std::string loadedProbeJvm(const AppFolder& app) {
    for (const std::string& line : probeEvents(app, "load")) {
        if (probe::fieldOf(line, "module") == "jvm") return probe::percentDecoded(probe::fieldOf(line, "path").value_or(""));
    }
    return {};
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
