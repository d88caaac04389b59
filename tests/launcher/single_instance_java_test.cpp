// Single-instance starts against a primary that runs real Java (the bridge
// runtime): later starts of the same program hand their arguments to the
// running one's secondaryMain and end with what it sends back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "rig/launcher_run.h"

namespace jltest {
namespace {

// How the Java program prints an argument: its code points in hex (BMP only here).
std::string codePoints(std::wstring_view text) {
    std::string hex;
    for (const wchar_t unit : text) {
        char digits[8];
        std::snprintf(digits, sizeof digits, hex.empty() ? "%x" : " %x", static_cast<unsigned>(unit));
        hex += digits;
    }
    return hex;
}

class SingleInstanceJava : public ::testing::Test {
protected:
    // Starts the primary with report.Forwarded$<variant> and waits until it takes requests.
    LaunchedProcess startPrimary(std::wstring_view variant, std::wstring_view arguments) {
        app_.writeIni(bridgeIni(app_, L"report.Forwarded$" + std::wstring(variant), L"Single Instance=yes\n"));
        LaunchedProcess primary = LaunchedProcess::start(app_.exePath(), std::wstring(arguments), launcherEnvironment(app_));
        EXPECT_TRUE(waitForListeningPrimary(app_));
        return primary;
    }
    LaunchedProcess startSecondary(std::wstring_view arguments) {
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), launcherEnvironment(app_));
    }
    std::optional<int> runSecondary(std::wstring_view arguments) { return startSecondary(arguments).waitForExit(); }

    // The Java program's output lines.
    std::vector<std::string> output() const { return fileLines(app_.path(L"out.txt")); }

    AppFolder app_;
};

struct FormCase {
    const wchar_t* variant;
    const wchar_t* secondaryArguments;
    int secondaryExitCode;
    bool repliesWhileRunning;  // else the secondary ends with the primary
};

class SecondaryExitCode : public SingleInstanceJava, public ::testing::WithParamInterface<FormCase> {};

TEST_P(SecondaryExitCode, FollowsTheFormOfSecondaryMain) {
    LaunchedProcess primary = startPrimary(GetParam().variant, L"hold:4000 exit:9");
    LaunchedProcess secondary = startSecondary(GetParam().secondaryArguments);
    EXPECT_EQ(secondary.waitForExit(), GetParam().secondaryExitCode);
    EXPECT_EQ(primary.running(), GetParam().repliesWhileRunning);
    EXPECT_EQ(primary.waitForExit(), 9);
}

INSTANTIATE_TEST_SUITE_P(Forms, SecondaryExitCode,
                         ::testing::Values(FormCase{L"VoidForm", L"x", 0, true},
                                           FormCase{L"IntForm", L"reply:-5", -5, true},
                                           FormCase{L"NoForm", L"x", 9, false}));

// secondaryMain is looked up on the class the launch loaded, also where the
// runtime's helper found it from a jar's manifest or a module's descriptor.
TEST_F(SingleInstanceJava, SecondaryMainIsReachedInJarAndModuleModes) {
    const std::wstring shapes = buildFolder(L"runtimes\\shapes\\");
    const std::wstring starts[] = {L"Main Jar=" + shapes + L"app\\shapes-app.jar\n[Class Path]\n",
                                   L"Main Module=shapes.app\n[Class Path]\nModule Path=" + shapes + L"mods\n"};
    for (const std::wstring& start : starts) {
        app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + buildFolder(L"runtimes\\bridge\\") + L"\n" + start +
                      L"[Application]\nSingle Instance=yes\nOutput File=" + app_.path(L"out.txt") + L"\nError File=" +
                      app_.path(L"err.txt") + L"\n");
        LaunchedProcess primary = LaunchedProcess::start(app_.exePath(), L"until:1", launcherEnvironment(app_));
        ASSERT_TRUE(waitForListeningPrimary(app_)) << jl::toUtf8(start);
        EXPECT_EQ(runSecondary(L"hello there"), 0) << jl::toUtf8(start);
        EXPECT_EQ(primary.waitForExit(), 0) << jl::toUtf8(start);
        const std::vector<std::string> lines = output();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "secondary hello|there"), lines.end()) << jl::toUtf8(start);
    }
}

TEST_F(SingleInstanceJava, ArgumentsArriveAsTheSecondaryWasGivenThem) {
    LaunchedProcess primary = startPrimary(L"IntForm", L"until:4");
    EXPECT_EQ(runSecondary(L""), 101);
    EXPECT_EQ(runSecondary(L"a \"\" b"), 101);
    EXPECT_EQ(runSecondary(L"\x00FC\x4E2D \xD83D\xDE00"), 102);
    // The reply comes although the method throws: JNI's result of such a call.
    EXPECT_EQ(runSecondary(L"throw"), 0);
    EXPECT_EQ(primary.waitForExit(), 0);
    EXPECT_EQ(output(), (std::vector<std::string>{"main", "secondary int 1 ", "secondary int 1 61",
                                                  "secondary int 2 fc 4e2d|1f600", "secondary int 1 74 68 72 6f 77"}));
    EXPECT_NE(readBytesFile(app_.path(L"err.txt")).find("asked to throw"), std::string::npos);
}

TEST_F(SingleInstanceJava, SecondaryStartedBeforeMainIsServedOnceMainStarts) {
    LaunchedProcess primary = startPrimary(L"SlowStart", L"until:1");
    ASSERT_EQ(readBytesFile(app_.path(L"out.txt")).find("main"), std::string::npos) << "main began too soon";
    EXPECT_EQ(runSecondary(L"early"), 0);
    EXPECT_EQ(primary.waitForExit(), 0);
    EXPECT_EQ(output(), (std::vector<std::string>{"main", "secondary void 1 " + codePoints(L"early")}));
}

TEST_F(SingleInstanceJava, TwentySecondariesAtOnceAreEachServedOnceWithTheirOwnReply) {
    constexpr int kSecondaries = 20;
    for (int round = 0; round < 3; ++round) {
        LaunchedProcess primary = startPrimary(L"IntForm", L"until:" + std::to_wstring(kSecondaries));
        std::vector<LaunchedProcess> secondaries;
        std::vector<std::string> expected{"main"};
        for (int i = 1; i <= kSecondaries; ++i) {
            const std::wstring reply = L"reply:" + std::to_wstring(i);
            secondaries.push_back(startSecondary(reply + L" round" + std::to_wstring(round)));
            expected.push_back("secondary int 2 " + codePoints(reply) + "|" +
                               codePoints(L"round" + std::to_wstring(round)));
        }
        for (int i = 1; i <= kSecondaries; ++i) EXPECT_EQ(secondaries[i - 1].waitForExit(60000), i) << "round " << round;
        EXPECT_EQ(primary.waitForExit(60000), 0);
        std::vector<std::string> lines = output();
        std::sort(lines.begin(), lines.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(lines, expected) << "round " << round;
    }
}

} // namespace
} // namespace jltest
