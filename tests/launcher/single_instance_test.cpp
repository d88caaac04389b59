// Single-instance starts on the probe runtime: the limits of forwarding, a
// primary that dies, and the starts that never forward.

#include <gtest/gtest.h>

#include <algorithm>

#include "rig/launcher_run.h"

namespace jltest {
namespace {

class SingleInstance : public ::testing::Test {
protected:
    static void writeIni(const AppFolder& app, std::wstring_view applicationLines = L"") {
        app.writeIni(probeIni(L"JRE Path=" + probeRuntimeHome() + L"\n",
                              L"[Application]\nSingle Instance=yes\n" + std::wstring(applicationLines)));
    }
    static LaunchedProcess start(const AppFolder& app, std::wstring_view scenario, std::wstring_view arguments = L"") {
        return LaunchedProcess::start(app.exePath(), std::wstring(arguments), probeEnvironment(app, scenario));
    }
    AppFolder app_;
};

TEST_F(SingleInstance, ArgumentsBeyondTheLimitEndTheSecondaryWithAMessage) {
    writeIni(app_);
    LaunchedProcess primary = start(app_, L"secondaryMain=int;secondaryResult=5;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(app_));
    expectEndedWithMessage(
        start(app_, L"", std::wstring(519, L'x')).finish(),
        L"The arguments are too long to hand to the running MyApp.exe: they take 1042 bytes, and at most 1040 fit.\n");
    const LaunchOutcome fits = start(app_, L"", std::wstring(518, L'y')).finish();
    expectEndedWithoutMessage(fits, 5);
    EXPECT_EQ(probeMainArguments(app_), std::vector<std::wstring>{std::wstring(518, L'y')});
    primary.terminate(0);
}

TEST_F(SingleInstance, SecondaryMainIsLookedUpOnTheClassMainRanOnNotFoundAgain) {
    writeIni(app_);
    LaunchedProcess primary = start(app_, L"secondaryMain=int;secondaryResult=5;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(app_));
    ASSERT_TRUE(waitForProbeMainCalls(app_, 1));
    EXPECT_EQ(start(app_, L"", L"x").waitForExit(), 5);
    const auto count = [&](std::string_view event, std::string_view name) {
        return std::ranges::count_if(probeEvents(app_, event),
                                     [&](const std::string& line) { return probe::fieldOf(line, "name") == name; });
    };
    EXPECT_EQ(count("find-class", "app/Main"), 1);
    EXPECT_EQ(count("get-static-method", "secondaryMain"), 2);  // the void form, then the int form
    for (const std::string& line : probeEvents(app_, "get-static-method")) {
        if (probe::fieldOf(line, "name") == "secondaryMain") {
            EXPECT_EQ(probe::fieldOf(line, "class"), "app/Main");
        }
    }
    primary.terminate(0);
}

TEST_F(SingleInstance, KilledPrimaryReleasesWaitingSecondariesWithItsExitCode) {
    writeIni(app_);
    LaunchedProcess primary = start(app_, L"secondaryMain=none;thread=60000");
    ASSERT_TRUE(waitForListeningPrimary(app_));
    std::vector<LaunchedProcess> secondaries;
    for (int i = 0; i < 3; ++i) secondaries.push_back(start(app_, L"", L"s" + std::to_wstring(i)));
    Sleep(2000);
    for (const LaunchedProcess& secondary : secondaries) EXPECT_TRUE(secondary.running());
    ASSERT_TRUE(primary.terminate(77));
    for (LaunchedProcess& secondary : secondaries) EXPECT_EQ(secondary.waitForExit(), 77);
    // The names went with the last handle: the next start leads.
    EXPECT_EQ(start(app_, L"").waitForExit(), 0);
    EXPECT_EQ(probeMainCalls(app_), 2u);
}

TEST_F(SingleInstance, ServicesAndCopiesInOtherFoldersRunOnTheirOwn) {
    writeIni(app_, L"Application Type=service\n");
    LaunchedProcess service = start(app_, L"thread=20000");
    ASSERT_TRUE(waitForProbeMainCalls(app_, 1));
    EXPECT_EQ(start(app_, L"").waitForExit(), 0);
    EXPECT_EQ(probeMainCalls(app_), 2u);
    service.terminate(0);

    AppFolder first, second;  // MyApp.exe both, in two folders
    writeIni(first);
    writeIni(second);
    LaunchedProcess firstPrimary = start(first, L"secondaryMain=int;secondaryResult=5;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(first));
    LaunchedProcess secondPrimary = start(second, L"secondaryMain=int;secondaryResult=6;thread=20000");
    ASSERT_TRUE(waitForListeningPrimary(second));
    EXPECT_TRUE(waitForProbeMainCalls(second, 1));
    EXPECT_EQ(start(second, L"").waitForExit(), 6);
    EXPECT_EQ(start(first, L"").waitForExit(), 5);
    firstPrimary.terminate(0);
    secondPrimary.terminate(0);
}

} // namespace
} // namespace jltest
