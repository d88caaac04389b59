// The launcher started as a user starts it: a folder with MyApp.exe and MyApp.ini.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"

namespace jltest {
namespace {

constexpr wchar_t kMainClassMissing[] = L"Main class was not specified in INI file.";

TEST(LauncherStart, IniWithoutMainClassShowsMessageAndExitsMinusOne) {
    AppFolder app;
    app.writeIni(L"[Java Runtime Environment]\nMinimum Version=1.8\n");

    LaunchedProcess process = LaunchedProcess::start(app.exePath(), L"", launcherEnvironment(app));
    const std::optional<DialogSnapshot> box = process.waitForDialog();
    ASSERT_TRUE(box.has_value()) << "no message box appeared";
    EXPECT_EQ(box->caption, L"Error");
    EXPECT_EQ(box->text, kMainClassMissing);
    // The launcher waits for the user before it ends.
    Sleep(300);
    EXPECT_TRUE(process.waitForDialog(0).has_value());
    ASSERT_TRUE(process.pressButton(box->window, IDOK));
    EXPECT_EQ(process.waitForExit(), -1);
}

TEST(LauncherStart, MissingIniFileEndsAtMainClassMessage) {
    AppFolder app;
    expectEndedWithMessage(runLauncher(app), kMainClassMissing);
}

TEST(LauncherTrace, UnwritableTraceFileDoesNotChangeTheLaunch) {
    AppFolder app;
    app.writeIni(L"[Application]\nFailure Check=Yes\n");
    expectEndedWithMessage(runLauncher(app, L"", {{L"JLAUNCHER_LOG", app.path(L"no such folder\\trace.log")}}),
                           kMainClassMissing);
}

TEST(LauncherTrace, IsOffUnlessAskedForAndThenAppendsToAnExistingFile) {
    AppFolder app;
    app.writeIni(L"[Java Runtime Environment]\nMain Class=Main\n");
    LaunchedProcess untraced =
        LaunchedProcess::start(app.exePath(), L"", {{L"APPDATA", app.appDataFolder()}, {L"JLAUNCHER_LOG", L""}});
    EXPECT_EQ(untraced.finish().exitCode, -1);
    EXPECT_FALSE(fileExists(app.tracePath()));

    writeBytesFile(app.tracePath(), "earlier line\r\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    const std::wstring trace = app.readTrace();
    EXPECT_EQ(trace.rfind(L"earlier line\r\n", 0), 0u);
    EXPECT_GT(trace.size(), 100u) << "nothing was appended";
}

} // namespace
} // namespace jltest
