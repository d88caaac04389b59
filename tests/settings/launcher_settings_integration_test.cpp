// Where each setting comes from, seen from outside: the INI file beside the
// program, its per-user copy, and settings embedded with jlpack.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"
#include "rig/pack_folder.h"
#include "rig/pe_samples.h"
#include "rig/runtime_registry.h"
#include "settings/launcher_settings.h"
#include "settings/setting_keys.h"
#include "support/string_text.h"
#include "support/win_text.h"

namespace jltest {
namespace {

// The per-user copy for a product "Demo: Tools/One" with code {C0DE} and MyApp.exe.
std::wstring perUserCopy(const AppFolder& app) { return app.appDataFolder() + L"\\Demo ToolsOne\\{C0DE}\\MyApp.ini"; }

constexpr wchar_t kProduct[] = L"[Product Information]\nProduct Name=Demo: Tools/One\nProduct Code={C0DE}\n";

// A runtime home in the application folder whose jvm.dll files are placeholders:
// a launch that chooses it names the chosen file when the load fails.
std::wstring placeholderRuntime(const AppFolder& app, const std::wstring& name) {
    createRuntimeFiles(app.path(name) + L"\\", {L"bin\\client\\jvm.dll", L"bin\\server\\jvm.dll"});
    return app.path(name) + L"\\";
}

void writePerUserCopy(const AppFolder& app, std::wstring_view text) {
    SHCreateDirectoryExW(nullptr, (app.appDataFolder() + L"\\Demo ToolsOne\\{C0DE}").c_str(), nullptr);
    writeUtf16File(perUserCopy(app), text);
}

TEST(SettingsFile, TraceNamesTheSourceOfEachSettingAndAValueWithoutAVersion) {
    AppFolder app;
    app.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nMinimum Version=1.8\nMaximum Version=Any\n");
    EXPECT_EQ(runLauncher(app).exitCode, -1);
    const std::wstring trace = app.readTrace();
    for (const wchar_t* line : {L"\"Minimum Version\" = \"1.8\" from INI file",
                                L"\"JVM Type\" = \"\" from nowhere (default)", L"\"Any\" holds no version number"}) {
        EXPECT_NE(trace.find(line), std::wstring::npos) << "missing: " << line << "\n" << trace;
    }
    // Every key, once, whatever its value; "JRE Path" names the per-user copy when there is one.
    for (const jl::SettingKey& key : jl::keys::kEveryKey) {
        const std::wstring line = L"setting [" + jl::widenAscii(key.section) + L"] \"" + jl::widenAscii(key.key) + L"\" = ";
        const size_t found = trace.find(line);
        ASSERT_NE(found, std::wstring::npos) << "missing: " << line << "\n" << trace;
        EXPECT_EQ(trace.find(line, found + 1), std::wstring::npos) << "traced twice: " << line;
        EXPECT_NE(trace.substr(found, trace.find(L'\n', found) - found).find(L"\" from "), std::wstring::npos) << line;
    }
}

TEST(PerUserCopy, ApplicationTakesJrePathFromItsPerUserCopyAloneAndServiceIgnoresIt) {
    AppFolder app;
    const std::wstring beside = placeholderRuntime(app, L"beside");
    const std::wstring browsed = placeholderRuntime(app, L"browsed");
    const std::wstring ini =
        std::wstring(kProduct) + L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + beside + L"\n";
    app.writeIni(ini);

    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), beside + L"bin\\client\\jvm.dll") << "without a per-user copy";
    writePerUserCopy(app, L"[Java Runtime Environment]\nJRE Path=" + browsed + L"\n");
    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), browsed + L"bin\\client\\jvm.dll");
    app.writeIni(ini + L"[Application]\nApplication Type=service\n");
    EXPECT_EQ(failedJvmLibrary(runLauncher(app)), beside + L"bin\\client\\jvm.dll") << "as a service";
    // A copy without the key still hides the INI file's value.
    app.writeIni(ini);
    writePerUserCopy(app, L"[Other]\nKey=Value\n");
    const LaunchOutcome outcome = runLauncher(app);
    EXPECT_EQ(failedJvmLibrary(outcome), L"");
    EXPECT_EQ(outcome.exitCode, -1);
}

// A launcher stamped by jlpack with settings of its own, installed as MyApp.exe.
class EmbeddedSettings : public ::testing::Test {
protected:
    void pack(std::wstring_view embeddedIni, std::wstring_view upgradeCode) {
        const PackFolder packer;
        writeUtf16File(packer.path(L"App.ini"), embeddedIni);
        // The copy carries its own icon and version information too, as an application's would.
        const jlpack::Bytes icon = sampleIconFile({16, 32});
        writeBytesFile(packer.path(L"App.ico"), std::string(icon.begin(), icon.end()));
        const JlpackRun run = packer.run(L"--launcher jlauncher.exe --ini App.ini --upgrade-code \"" + std::wstring(upgradeCode) +
                                         L"\" --output \"" + app_.exePath() + L"\" --icon App.ico --product-version 2.0");
        ASSERT_EQ(run.exitCode, 0) << jl::toUtf8(run.error);
    }

    AppFolder app_;
};

constexpr wchar_t kEmbedded[] =
    L"[Java Runtime Environment]\nMain Class=org.example.Embedded\nMinimum Version=1.6\nLibrary Path=C:\\embedded\n"
    L"JVM Type=server\n";

TEST_F(EmbeddedSettings, KeyMissingOrEmptyInTheIniFileIsTakenFromThemValueOverridesAndPlusSectionExtends) {
    pack(kEmbedded, L"{UPGRADE-1}");
    const std::wstring home = app_.path(L"runtime");
    ASSERT_TRUE(copyProbeRuntime(home, L"bin\\client") && copyProbeRuntime(home));
    app_.writeIni(L"[Product Information]\nUpgrade Code={UPGRADE-1}\n[Java Runtime Environment]\n"
                  L"Main Class=org.example.FromFile\nJRE Path=" + home + L"\nJVM Type=\n"
                  L"[Java Runtime Environment+]\nLibrary Path=;C:\\extra\n[Class Path]\nClass Path=C:\\app.jar\n");
    EXPECT_EQ(LaunchedProcess::start(app_.exePath(), L"", probeEnvironment(app_)).finish().exitCode, 0);
    // The embedded "JVM Type" picks the server VM: an empty one in the file does not override it.
    EXPECT_NE(loadedProbeJvm(app_).find("runtime\\bin\\server\\jvm.dll"), std::string::npos) << loadedProbeJvm(app_);
    const std::vector<std::string> main = probeEvents(app_, "check-and-load-main"), options = probeEvents(app_, "option");
    ASSERT_FALSE(main.empty() || options.size() < 2);  // the print hook comes first
    EXPECT_EQ(probe::utf16FromHex(*probe::fieldOf(main[0], "name")), L"org.example.FromFile");
    const std::string option = probe::percentDecoded(*probe::fieldOf(options[1], "text"));
    EXPECT_EQ(option.rfind("-Djava.library.path=C:\\embedded ;C:\\extra;", 0), 0u) << option;
}

TEST(RememberJrePath, ApplicationWritesPerUserCopiesAndServiceTheFilesBesideThePrograms) {
    const TemporaryFolder temporary(L"jlremember");
    const std::wstring& folder = temporary.path();
    const std::wstring appData = jl::environmentVariable(L"APPDATA"), testExe = builtProgram(L"jl_launcher_tests.exe");
    SetEnvironmentVariableW(L"APPDATA", folder.c_str());
    jl::LauncherSettings settings;
    settings.product.productName = L"Tool: One";
    settings.product.productCode = L"{C0DE}";
    settings.application.pairProduct = folder + L"\\Pair32.exe";
    jl::rememberJrePath(L"C:\\Browsed\\", testExe, settings);
    EXPECT_EQ(rememberedJrePath(folder + L"\\Tool One\\{C0DE}\\jl_launcher_tests.ini"), L"C:\\Browsed\\");
    EXPECT_EQ(rememberedJrePath(folder + L"\\Tool One\\{C0DE}\\Pair32.ini"), L"C:\\Browsed\\");
    EXPECT_FALSE(fileExists(folder + L"\\Pair32.ini"));

    settings.application.isService = true;
    jl::rememberJrePath(L"D:\\Service\\", testExe, settings);
    const std::wstring besideTests = testExe.substr(0, testExe.rfind(L'.')) + L".ini";
    EXPECT_EQ(rememberedJrePath(besideTests), L"D:\\Service\\");
    EXPECT_EQ(rememberedJrePath(folder + L"\\Pair32.ini"), L"D:\\Service\\");
    DeleteFileW(besideTests.c_str());
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
}

} // namespace
} // namespace jltest
