// Which runtime a launch chooses, and the hand-over to a paired 32-bit launcher,
// seen from outside the launcher.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"
#include "rig/runtime_registry.h"

namespace jltest {
namespace {

class RuntimeChoice : public RegisteredRuntimes {
protected:
    // The jvm.dll a launch with these INI lines loads: placeholders, so it ends with -1.
    std::wstring chosenJvm(std::wstring_view iniLines) {
        app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\n" + std::wstring(iniLines));
        const LaunchOutcome outcome = runLauncher(app_);
        EXPECT_EQ(outcome.exitCode, -1);
        return failedJvmLibrary(outcome);
    }

    AppFolder app_;
};

TEST_F(RuntimeChoice, PrivateRuntimeBesideTheProgramWinsOverARegisteredOne) {
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"jdk17"), {L"bin\\server\\jvm.dll"});
    add(L"Software\\JavaSoft\\JDK\\", L"17", home(L"jdk17"));
    EXPECT_EQ(chosenJvm(L""), app_.path(L"jre64\\bin\\server\\jvm.dll"));
}

TEST_F(RuntimeChoice, ProgramInsideARuntimeUsesThatRuntime) {
    createRuntimeFiles(app_.folder() + L"\\", {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    EXPECT_EQ(chosenJvm(L""), app_.path(L"bin\\client\\jvm.dll"));
}

TEST_F(RuntimeChoice, JrePathWithoutJvmFallsThroughPrivateRuntimeToTheRegistry) {
    createRuntimeFiles(home(L"configured"), {L"bin\\java.dll"});
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    createRuntimeFiles(home(L"jre11"), {L"bin\\server\\jvm.dll"});
    add(L"Software\\JavaSoft\\JRE\\", L"11.0.2", home(L"jre11"));
    EXPECT_EQ(chosenJvm(L"JVM Type=server\nJRE Path=" + home(L"configured") + L"\n"),
              home(L"jre11") + L"bin\\server\\jvm.dll");
}

TEST_F(RuntimeChoice, ServerJvmTypeSkipsAClientOnlyRuntime) {
    createRuntimeFiles(home(L"jre8"), {L"bin\\client\\jvm.dll"});
    add(L"Software\\JavaSoft\\JRE\\", L"1.8.0_151", home(L"jre8"));
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nJVM Type=server\n");
    const LaunchOutcome outcome = runLauncher(app_);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_TRUE(isJreNotFound(outcome.messages[0])) << ::testing::PrintToString(outcome.messages[0].caption);
    EXPECT_EQ(outcome.exitCode, -1);
}

constexpr wchar_t kAdoptiumKey[] = L"Software\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI";

// Where installers leave the probe runtime, and whether the launch runs on it.
struct VendorLaunchCase {
    const wchar_t* name;
    bool currentUser;
    const wchar_t* key;    // empty: JAVA_HOME names the home
    const wchar_t* value;
    bool trailingBackslash;
};

void PrintTo(const VendorLaunchCase& c, std::ostream* out) { *out << ::testing::PrintToString(std::wstring(c.name)); }

class VendorRuntimeLaunch : public RuntimeChoice, public ::testing::WithParamInterface<VendorLaunchCase> {};

TEST_P(VendorRuntimeLaunch, RunsOnTheRuntimeTheInstallerLeft) {
    const VendorLaunchCase& c = GetParam();
    std::wstring probeHome = probeRuntimeHome();
    if (!c.trailingBackslash) probeHome.pop_back();
    std::map<std::wstring, std::wstring> environment;
    if (*c.key) {
        addVendorText(c.currentUser, c.key, c.value, probeHome);
        if (std::wstring(c.value) == L"Path") addVendorNumber(c.currentUser, c.key, L"JavaHome", 1);
    } else {
        environment[L"JAVA_HOME"] = probeHome;
    }
    app_.writeIni(probeIni());
    expectEndedWithoutMessage(runLauncher(app_, L"", environment));
}

INSTANTIATE_TEST_SUITE_P(Installers, VendorRuntimeLaunch, ::testing::Values(
    VendorLaunchCase{L"AdoptiumMachine", false, kAdoptiumKey, L"Path", true},
    VendorLaunchCase{L"MicrosoftUser", true, L"Software\\Microsoft\\JDK\\17.0.9.8\\hotspot\\MSI", L"Path", false},
    VendorLaunchCase{L"ZuluUser", true, L"Software\\Azul Systems\\Zulu\\zulu-17", L"InstallationPath", true},
    VendorLaunchCase{L"LibericaMachine", false, L"Software\\BellSoft\\Liberica\\jdk-21", L"InstallationPath", false},
    VendorLaunchCase{L"SapMachine", false, L"Software\\SapMachine\\JDK\\17.0.9", L"JavaHome", true},
    VendorLaunchCase{L"JavaHomeWithBackslash", false, L"", L"", true},
    VendorLaunchCase{L"JavaHomeWithoutBackslash", false, L"", L"", false}),
    [](const ::testing::TestParamInfo<VendorLaunchCase>& info) {
        return std::string(info.param.name, info.param.name + wcslen(info.param.name));
    });

TEST_F(RuntimeChoice, ClassicRootWinsOverANewerVendorRuntime) {
    createRuntimeFiles(home(L"jre11"), {L"bin\\server\\jvm.dll"});
    add(L"Software\\JavaSoft\\JRE\\", L"11.0.2", home(L"jre11"));
    addVendorText(false, kAdoptiumKey, L"Path", probeRuntimeHome());
    EXPECT_EQ(chosenJvm(L""), home(L"jre11") + L"bin\\server\\jvm.dll");
}

TEST_F(RuntimeChoice, VendorRuntimesOutsideTheSettingsEndAtJreNotFound) {
    createRuntimeFiles(home(L"tem21"), {L"bin\\server\\jvm.dll"});
    addVendorText(false, kAdoptiumKey, L"Path", home(L"tem21"));
    const struct {
        const wchar_t* settings;
        const wchar_t* javaHome;
    } cases[] = {
        {L"Search Vendor Runtimes=no\n", L""},
        {L"Search Vendor Runtimes=No\n", L"probe"},
        {L"Maximum Version=17\n", L""},
        {L"Minimum Version=11\nMaximum Version=17\n", L"probe"},  // no "release" file: its version is unknown
    };
    for (const auto& c : cases) {
        app_.writeIni(probeIni(c.settings));
        const LaunchOutcome outcome =
            runLauncher(app_, L"", {{L"JAVA_HOME", *c.javaHome ? probeRuntimeHome() : L""}});
        EXPECT_TRUE(failedJvmLibrary(outcome).empty()) << ::testing::PrintToString(std::wstring(c.settings));
        EXPECT_EQ(outcome.exitCode, -1) << ::testing::PrintToString(std::wstring(c.settings));
    }
}

// A paired 32-bit launcher that records how it was started.
class HandOver : public RuntimeChoice {
protected:
    void SetUp() override {
        RuntimeChoice::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(CopyFileW(builtProgram(L"jl_pair_recorder.exe").c_str(), app_.path(L"MyApp32.exe").c_str(), FALSE));
    }

    std::wstring iniFor(const std::wstring& jrePath, bool returnCode, const wchar_t* pair = L"MyApp32.exe") const {
        return L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + jrePath + L"\n[Application]\nPair Product=" +
               app_.path(pair) + L"\n" + (returnCode ? L"Pair Return Code=YES\n" : L"");
    }

    std::map<std::wstring, std::wstring> recorderEnvironment() const {
        return {{L"JL_PAIR_RECORD", app_.path(L"pair-record.txt")}, {L"JL_PAIR_EXIT_CODE", L"42"}};
    }

    std::wstring recordedCommandLine() const {
        const std::string bytes = readBytesFile(app_.path(L"pair-record.txt"));
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
};

TEST_F(HandOver, ThirtyTwoBitJrePathStartsThePairedProgramWithTheSameCommandLineAndItsCodeOnlyWhenAsked) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    app_.writeIni(iniFor(home(L"jre32"), true));
    const std::wstring arguments = L"-open \"two words\" ü";
    expectEndedWithoutMessage(runLauncher(app_, arguments, recorderEnvironment()), 42);
    EXPECT_EQ(recordedCommandLine(), L"\"" + app_.exePath() + L"\" " + arguments);

    ASSERT_TRUE(DeleteFileW(app_.path(L"pair-record.txt").c_str()));
    app_.writeIni(iniFor(home(L"jre32"), false));
    EXPECT_EQ(runLauncher(app_, L"x", recorderEnvironment()).exitCode, 0);
    // The launcher does not wait: the paired program may still be writing.
    for (int i = 0; i < 100 && recordedCommandLine().empty(); ++i) Sleep(50);
    EXPECT_EQ(recordedCommandLine(), L"\"" + app_.exePath() + L"\" x");
}

TEST_F(HandOver, ThirtyTwoBitRegistryViewHandsOver) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"});
    add(L"Software\\JavaSoft\\JRE\\", L"1.8.0_151", home(L"jre32"), true);
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\n[Application]\nPair Return Code=yes\nPair Product=" +
                  app_.path(L"MyApp32.exe") + L"\n");
    EXPECT_EQ(runLauncher(app_, L"", recorderEnvironment()).exitCode, 42);
    EXPECT_EQ(recordedCommandLine(), L"\"" + app_.exePath() + L"\"");
}

TEST_F(HandOver, OtherImagesAreLoadedHereAndAPlantedDbghelpIsNot) {
    const std::string x86 = readBytesFile(builtProgram(L"x86_image.dll"));
    const std::pair<const wchar_t*, std::string> images[] = {
        {L"x64", readBytesFile(builtProgram(L"jl_pair_recorder.exe"))},
        {L"empty", ""},
        {L"truncated", x86.substr(0, 0x44)},
        {L"text", "not an image at all"},
    };
    ASSERT_TRUE(CopyFileW(builtProgram(L"planted_dbghelp.dll").c_str(), app_.path(L"Dbghelp.dll").c_str(), FALSE));
    for (const auto& [name, bytes] : images) {
        createRuntimeFiles(home(name), {L"bin\\java.dll"});
        CreateDirectoryW((home(name) + L"bin\\client").c_str(), nullptr);
        writeBytesFile(home(name) + L"bin\\client\\jvm.dll", bytes);
        app_.writeIni(iniFor(home(name), true));
        // Let Wine search for Dbghelp.dll as Windows does, so a planted copy could load.
        const LaunchOutcome outcome = runLauncher(app_, L"", {{L"WINEDLLOVERRIDES", L"dbghelp=n,b"}});
        EXPECT_EQ(outcome.exitCode, -1) << ::testing::PrintToString(std::wstring(name));
        // Loaded in this process, where it fails with a message.
        EXPECT_EQ(outcome.messages.size(), 1u) << ::testing::PrintToString(std::wstring(name));
        EXPECT_FALSE(fileExists(app_.path(L"pair-record.txt")));
    }
    EXPECT_FALSE(fileExists(app_.path(L"Dbghelp.dll.loaded"))) << "the planted Dbghelp.dll was loaded";
}

TEST_F(HandOver, PairedProgramThatCannotStartIsReported) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    app_.writeIni(iniFor(home(L"jre32"), false, L"Missing32.exe"));
    expectEndedWithMessage(runLauncher(app_),
                           L"Failed to start the paired program " + app_.path(L"Missing32.exe") + L" (errno = 2).\n");
}

} // namespace
} // namespace jltest
