// Where each setting comes from, seen from outside: the INI file beside the
// program, its per-user copy, and settings embedded with jlpack.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {
namespace {

bool traceHas(const AppFolder& app, const std::wstring& text) {
    return app.readTrace().find(text) != std::wstring::npos;
}

#define EXPECT_TRACE(app, text) EXPECT_TRUE(traceHas(app, text)) << "missing: " << (text) << "\n" << (app).readTrace()

// The per-user copy for a product "Demo: Tools/One" with code {C0DE} and MyApp.exe.
std::wstring perUserCopy(const AppFolder& app) { return app.appDataFolder() + L"\\Demo ToolsOne\\{C0DE}\\MyApp.ini"; }

constexpr wchar_t kProduct[] = L"[Product Information]\nProduct Name=Demo: Tools/One\nProduct Code={C0DE}\n";

// A runtime home in the application folder whose jvm.dll files are placeholders:
// a launch that chooses it names the chosen file when the load fails.
std::wstring placeholderRuntime(const AppFolder& app, const std::wstring& name) {
    const std::wstring home = app.path(name) + L"\\";
    for (const wchar_t* folder : {L"", L"bin", L"bin\\client", L"bin\\server"}) {
        CreateDirectoryW((home + folder).c_str(), nullptr);
    }
    writeBytesFile(home + L"bin\\client\\jvm.dll", "placeholder");
    writeBytesFile(home + L"bin\\server\\jvm.dll", "placeholder");
    return home;
}

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
    const std::wstring beside = placeholderRuntime(app, L"beside");
    const std::wstring browsed = placeholderRuntime(app, L"browsed");
    app.writeIni(std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + beside + L"\n");

    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), beside + L"bin\\client\\jvm.dll") << "without a per-user copy";
    writePerUserCopy(app, L"[Java Runtime Environment]\nJRE Path=" + browsed + L"\n");
    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), browsed + L"bin\\client\\jvm.dll");
    // A copy without the key still hides the INI file's value.
    writePerUserCopy(app, L"[Other]\nKey=Value\n");
    const LaunchOutcome outcome = runLauncher(app);
    EXPECT_EQ(failedJvmLibrary(outcome), L"");
    EXPECT_EQ(outcome.exitCode, -1);
}

TEST(PerUserCopy, ServiceIgnoresThePerUserCopy) {
    AppFolder app;
    const std::wstring beside = placeholderRuntime(app, L"beside");
    app.writeIni(std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + beside +
                 L"\n[Application]\nApplication Type=service\n");
    writePerUserCopy(app, L"[Java Runtime Environment]\nJRE Path=" + placeholderRuntime(app, L"browsed") + L"\n");
    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), beside + L"bin\\client\\jvm.dll");
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
    app_.writeIni(L"[Product Information]\nUpgrade Code={UPGRADE-1}\n[Java Runtime Environment]\nJRE Path=" +
                  placeholderRuntime(app_, L"runtime") + L"\nJVM Type=\n");
    // The embedded "Main Class" lets the launch go on; the embedded "JVM Type"
    // (an empty one in the file does not override it) picks the server VM.
    EXPECT_EQ(failedJvmLibrary(runLauncher(app_)), app_.path(L"runtime\\bin\\server\\jvm.dll"));
}

TEST_F(EmbeddedSettings, IniValueOverridesAndPlusSectionExtends) {
    pack(kEmbedded, L"{UPGRADE-1}");
    app_.writeIni(L"[Product Information]\nUpgrade Code={UPGRADE-1}\n"
                  L"[Java Runtime Environment]\nMain Class=org.example.FromFile\nJRE Path=" + probeRuntimeHome() +
                  L"\n[Java Runtime Environment+]\nLibrary Path=;C:\\extra\n[Class Path]\nClass Path=C:\\app.jar\n");
    const LaunchOutcome outcome = runLauncher(app_, L"", {{L"JL_PROBE_RECORD", app_.path(L"probe.log")}});
    EXPECT_EQ(outcome.exitCode, 0);
    std::vector<std::string> options;
    std::wstring mainClass;
    for (const std::string& line : probe::readRecord(app_.path(L"probe.log"))) {
        if (probe::eventOf(line) == "option") options.push_back(probe::percentDecoded(*probe::fieldOf(line, "text")));
        if (probe::eventOf(line) == "check-and-load-main") mainClass = probe::utf16FromHex(*probe::fieldOf(line, "name"));
    }
    EXPECT_EQ(mainClass, L"org.example.FromFile");
    ASSERT_GE(options.size(), 2u);  // the print hook comes first
    EXPECT_EQ(options[1].rfind("-Djava.library.path=C:\\embedded ;C:\\extra;", 0), 0u) << options[1];
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
