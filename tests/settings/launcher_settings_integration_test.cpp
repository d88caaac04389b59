// Where each setting comes from, seen from outside: the INI file beside the
// program, its per-user copy, and settings embedded with jlpack.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"

namespace jltest {
namespace {

bool traceHas(const AppFolder& app, const std::wstring& text) {
    return app.readTrace().find(text) != std::wstring::npos;
}

#define EXPECT_TRACE(app, text) EXPECT_TRUE(traceHas(app, text)) << "missing: " << (text) << "\n" << (app).readTrace()

// The per-user copy for a product "Demo: Tools/One" with code {C0DE} and MyApp.exe.
std::wstring perUserCopy(const AppFolder& app) { return app.appDataFolder() + L"\\Demo ToolsOne\\{C0DE}\\MyApp.ini"; }

constexpr wchar_t kProduct[] = L"[Product Information]\nProduct Name=Demo: Tools/One\nProduct Code={C0DE}\n";

void writePerUserCopy(const AppFolder& app, std::wstring_view text) {
    CreateDirectoryW((app.appDataFolder() + L"\\Demo ToolsOne").c_str(), nullptr);
    CreateDirectoryW((app.appDataFolder() + L"\\Demo ToolsOne\\{C0DE}").c_str(), nullptr);
    writeUtf16File(perUserCopy(app), text);
}

TEST(SettingsFile, TraceNamesTheSourceOfEachSetting) {
    AppFolder app;
    app.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nMinimum Version=1.8\nMaximum Version=\n"
                 L"[Application]\nSingle Instance=Yes\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"\"Minimum Version\" = \"1.8\" from INI file");
    EXPECT_TRACE(app, L"minimum version is 1.8.0.0");
    // An empty maximum leaves the upper bound open instead of rejecting every runtime.
    EXPECT_TRACE(app, L"maximum version is 65535.65535.65535.65535 (no bound)");
    EXPECT_TRACE(app, L"\"JVM Type\" = \"\" from nowhere (default)");
}

TEST(SettingsFile, NonNumericMaximumVersionIsReportedInTheTrace) {
    AppFolder app;
    app.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nMaximum Version=Any\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"maximum version is 0.0.0.0");
    EXPECT_TRACE(app, L"\"Any\" holds no version number");
}

TEST(PerUserCopy, ApplicationTakesJrePathFromItsPerUserCopyAlone) {
    AppFolder app;
    app.writeIni(std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=C:\\Beside\n");
    writePerUserCopy(app, L"[Java Runtime Environment]\nJRE Path=C:\\Browsed\\\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"\"JRE Path\" = \"C:\\Browsed\\\" from the per-user copy \"" + perUserCopy(app) + L"\"");
    EXPECT_TRACE(app, L"trying the configured \"JRE Path\" \"C:\\Browsed\\\"");
}

TEST(PerUserCopy, ExistingCopyWithoutJrePathHidesTheIniValue) {
    AppFolder app;
    app.writeIni(std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=C:\\Beside\n");
    writePerUserCopy(app, L"[Other]\nKey=Value\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"\"JRE Path\" = \"\" from the per-user copy");
    EXPECT_FALSE(traceHas(app, L"C:\\Beside")) << app.readTrace();
}

TEST(PerUserCopy, ServiceIgnoresThePerUserCopy) {
    AppFolder app;
    app.writeIni(std::wstring(kProduct) +
                 L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=C:\\Beside\n[Application]\nApplication Type=service\n");
    writePerUserCopy(app, L"[Java Runtime Environment]\nJRE Path=C:\\Browsed\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"\"JRE Path\" = \"C:\\Beside\" from INI file");
    EXPECT_TRACE(app, L"application type service");
}

TEST(PerUserCopy, WithoutCopyTheIniValueIsUsed) {
    AppFolder app;
    app.writeIni(std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=C:\\Beside\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    EXPECT_TRACE(app, L"no per-user copy at \"" + perUserCopy(app) + L"\"");
    EXPECT_TRACE(app, L"trying the configured \"JRE Path\" \"C:\\Beside\\\"");
}

// A launcher stamped by jlpack with settings of its own, installed as MyApp.exe.
class EmbeddedSettings : public ::testing::Test {
protected:
    void pack(std::wstring_view embeddedIni, std::wstring_view upgradeCode) {
        const std::wstring source = app_.path(L"embedded-source.ini");
        writeUtf16File(source, embeddedIni);
        LaunchedProcess jlpack = LaunchedProcess::start(
            builtProgram(L"jlpack.exe"), L"--launcher \"" + builtProgram(L"jlauncher.exe") + L"\" --ini \"" + source +
                                             L"\" --upgrade-code \"" + std::wstring(upgradeCode) + L"\" --output \"" +
                                             app_.exePath() + L"\"");
        ASSERT_EQ(jlpack.waitForExit(), 0);
    }

    AppFolder app_;
};

constexpr wchar_t kEmbedded[] =
    L"[Java Runtime Environment]\nMain Class=org.example.Embedded\nMinimum Version=1.6\nLibrary Path=C:\\embedded\n"
    L"JVM Type=server\n";

TEST_F(EmbeddedSettings, KeyMissingFromTheIniFileIsTakenFromThem) {
    pack(kEmbedded, L"{UPGRADE-1}");
    app_.writeIni(L"[Product Information]\nUpgrade Code={UPGRADE-1}\n");
    const LaunchOutcome outcome = runLauncher(app_);
    // Past the main class, the launch asks for a runtime with the embedded requirement.
    ASSERT_EQ(outcome.messages.size(), 1u) << "the main class was not found in the embedded settings";
    EXPECT_TRUE(isJreNotFound(outcome.messages[0]));
    EXPECT_EQ(outcome.messages[0].text, L"The Java Runtime Environment (JRE) was not found. Please  download and install "
                                        L"a JRE with a server JVM (minimum version 1.6) from:");
    EXPECT_EQ(outcome.exitCode, -1);
    EXPECT_TRACE(app_, L"\"Main Class\" = \"org.example.Embedded\" from embedded settings");
    EXPECT_TRACE(app_, L"main class \"org/example/Embedded\"");
    EXPECT_TRACE(app_, L"JVM type 1");
}

TEST_F(EmbeddedSettings, IniValueOverridesAndPlusSectionExtends) {
    pack(kEmbedded, L"{UPGRADE-1}");
    app_.writeIni(L"[Product Information]\nUpgrade Code={UPGRADE-1}\n"
                  L"[Java Runtime Environment]\nMinimum Version=11\nJVM Type=\n"
                  L"[Java Runtime Environment+]\nLibrary Path=;C:\\extra\n");
    EXPECT_EQ(runLauncher(app_).exitCode, -1);
    EXPECT_TRACE(app_, L"\"Minimum Version\" = \"11\" from INI file");
    EXPECT_TRACE(app_, L"minimum version is 11.0.0.0");
    EXPECT_TRACE(app_, L"\"Library Path\" = \"C:\\embedded ;C:\\extra\" from embedded settings extended");
    // An entry present in the file but empty does not override.
    EXPECT_TRACE(app_, L"\"JVM Type\" = \"server\" from embedded settings");
}

TEST_F(EmbeddedSettings, WrongUpgradeCodeLeavesThemUnread) {
    pack(kEmbedded, L"{UPGRADE-1}");
    app_.writeIni(L"[Product Information]\nUpgrade Code={SOMETHING-ELSE}\n");
    const LaunchOutcome outcome = runLauncher(app_);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, L"Main class was not specified in INI file.");
    EXPECT_EQ(outcome.exitCode, -1);
}

} // namespace
} // namespace jltest
