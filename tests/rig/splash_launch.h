#pragma once
// Launches on the probe runtime with a splash picture, seen from outside: the
// splash window, the screen, and the windows the probe saw at its moments.

#include <gtest/gtest.h>

#include <algorithm>

#include "rig/dialog_driver.h"
#include "rig/launcher_run.h"
#include "rig/test_pictures.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {

inline constexpr wchar_t kSplashClass[] = L"SplashScreenWindow";

class SplashLaunch : public ::testing::Test {
protected:
    // INI for a launch on a probe home: [Display] lines, then any other sections.
    void writeIni(std::wstring_view display, std::wstring_view more = L"", std::wstring_view home = {}) {
        app_.writeIni(probeIni(L"JRE Path=" + (home.empty() ? probeRuntimeHome() : std::wstring(home)) + L"\n",
                               L"[Display]\n" + std::wstring(display) + L"\n" + std::wstring(more)));
    }
    // splash.png of four quarters and an INI that shows it, with more [Display] lines and sections.
    [[nodiscard]] bool writeSplashIni(std::wstring_view moreDisplay = L"", std::wstring_view more = L"") {
        writeIni(L"Splash Screen=" + app_.path(L"splash.png") + L"\n" + std::wstring(moreDisplay), more);
        return writePicture(app_.path(L"splash.png"), L"image/png");
    }
    // Runs to the end, answering messages with OK.
    LaunchOutcome run(std::wstring_view scenario, std::wstring_view arguments = L"") {
        DeleteFileW(app_.path(L"probe.log").c_str());
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), probeEnvironment(app_, scenario)).finish();
    }
    // Starts a launch whose main waits until release() (at most 30 s).
    LaunchedProcess start(std::map<std::wstring, std::wstring> extra = {}) {
        DeleteFileW(app_.path(L"probe.log").c_str());
        extra.merge(probeEnvironment(app_, L"wait=30000"));
        LaunchedProcess process = LaunchedProcess::start(app_.exePath(), L"", extra);
        release_.reset(CreateEventW(nullptr, TRUE, FALSE,
                                    (L"JlProbeRelease." + std::to_wstring(process.processId())).c_str()));
        return process;
    }
    void release() { SetEvent(release_.get()); }

    std::vector<std::string> events(std::string_view name) const { return probeEvents(app_, name); }
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
    // The calls the runtime's splash library got, and the VM's end among them, in order.
    std::vector<std::string> splashCalls() const {
        std::vector<std::string> record = events("");
        std::erase_if(record,
                      [](const std::string& line) { return !line.starts_with("splash-") && probe::eventOf(line) != "destroy"; });
        return record;
    }
    // A path as the probe records what the splash library was given: ANSI, percent-encoded.
    static std::string ansiPercentEncoded(const std::wstring& text) {
        char bytes[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
        return probe::percentEncoded(bytes);
    }
    static bool hasSplash(const std::string& classes) { return classes.find("SplashScreenWindow") != std::string::npos; }
    bool splashSeenDuringMain() const { return std::ranges::any_of(windowsDuringMain(), hasSplash); }

    AppFolder app_;
    jl::UniqueHandle release_;
};

} // namespace jltest
