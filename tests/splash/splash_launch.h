#pragma once
// Launches on the probe runtime with a splash picture, seen from outside: the
// splash window, the screen, and the windows the probe saw at its moments.

#include <gtest/gtest.h>

#include <algorithm>

#include "rig/dialog_driver.h"
#include "rig/launcher_run.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {

inline constexpr wchar_t kSplashClass[] = L"SplashScreenWindow";

class SplashLaunch : public ::testing::Test {
protected:
    // INI for a launch on a probe home: [Display] lines, then any other sections.
    void writeIni(std::wstring_view display, std::wstring_view more = L"", std::wstring_view home = {}) {
        app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + (home.empty() ? probeRuntimeHome() : std::wstring(home)) +
                      L"\nMain Class=app.Main\n[Class Path]\nClass Path=C:\\app.jar\n[Display]\n" +
                      std::wstring(display) + L"\n" + std::wstring(more));
    }
    std::map<std::wstring, std::wstring> environment(std::wstring_view scenario) const {
        std::map<std::wstring, std::wstring> variables = launcherEnvironment(app_);
        variables[L"JL_PROBE_RECORD"] = app_.path(L"probe.log");
        variables[L"JL_PROBE_SCENARIO"] = std::wstring(scenario);
        return variables;
    }
    // Runs to the end, answering messages with OK.
    LaunchOutcome run(std::wstring_view scenario, std::wstring_view arguments = L"") {
        DeleteFileW(app_.path(L"probe.log").c_str());
        LaunchedProcess process = LaunchedProcess::start(app_.exePath(), std::wstring(arguments), environment(scenario));
        return process.finish();
    }
    // Starts a launch whose main waits until release() (at most 30 s).
    LaunchedProcess start(std::map<std::wstring, std::wstring> extra = {}) {
        DeleteFileW(app_.path(L"probe.log").c_str());
        std::map<std::wstring, std::wstring> variables = environment(L"wait=30000");
        variables.insert(extra.begin(), extra.end());
        LaunchedProcess process = LaunchedProcess::start(app_.exePath(), L"", variables);
        release_.reset(CreateEventW(nullptr, TRUE, FALSE,
                                    (L"JlProbeRelease." + std::to_wstring(process.processId())).c_str()));
        return process;
    }
    void release() { SetEvent(release_.get()); }

    std::vector<std::string> events(std::string_view name) const {
        std::vector<std::string> found;
        for (const std::string& line : probe::readRecord(app_.path(L"probe.log"))) {
            if (name.empty() || probe::eventOf(line) == name) found.push_back(line);
        }
        return found;
    }
    // The visible window classes the probe listed at a moment ("create-return", "main-end", "thread-end").
    std::string windowsAt(std::string_view moment) const {
        for (const std::string& line : events("windows")) {
            if (probe::fieldOf(line, "at") == moment) return probe::percentDecoded(*probe::fieldOf(line, "classes"));
        }
        return "(not recorded)";
    }
    // Every change the probe saw while main waited, in order.
    std::vector<std::string> windowsDuringMain() const {
        std::vector<std::string> lists;
        for (const std::string& line : events("windows")) {
            if (probe::fieldOf(line, "at") == "main") lists.push_back(probe::percentDecoded(*probe::fieldOf(line, "classes")));
        }
        return lists;
    }
    static bool hasSplash(const std::string& classes) { return classes.find("SplashScreenWindow") != std::string::npos; }
    bool splashSeenDuringMain() const { return std::ranges::any_of(windowsDuringMain(), hasSplash); }

    AppFolder app_;
    jl::UniqueHandle release_;
};

} // namespace jltest
