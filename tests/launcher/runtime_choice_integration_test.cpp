// Which runtime a launch chooses, and the hand-over to a paired 32-bit launcher,
// seen from outside the launcher.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"
#include "rig/pe_samples.h"
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

constexpr char kProbeJvm[] = "runtimes\\probe\\bin\\server\\jvm.dll";
constexpr wchar_t kAdoptiumKey[] = L"Software\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI";

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

TEST_F(HandOver, SixtyFourBitJrePathIsLoadedHereAndAPlantedDbghelpIsNot) {
    createRuntimeFiles(home(L"x64"), {L"bin\\java.dll", L"bin\\client\\jvm.dll"}, builtProgram(L"jl_pair_recorder.exe"));
    app_.writeIni(iniFor(home(L"x64"), true));
    ASSERT_TRUE(CopyFileW(builtProgram(L"planted_dbghelp.dll").c_str(), app_.path(L"Dbghelp.dll").c_str(), FALSE));
    // Let Wine search for Dbghelp.dll as Windows does, so a planted copy could load.
    const LaunchOutcome outcome = runLauncher(app_, L"", {{L"WINEDLLOVERRIDES", L"dbghelp=n,b"}});
    EXPECT_EQ(outcome.exitCode, -1);
    // Loaded in this process, where it fails with a message.
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_FALSE(isJreNotFound(outcome.messages[0]));
    EXPECT_FALSE(fileExists(app_.path(L"pair-record.txt")));
    EXPECT_FALSE(fileExists(app_.path(L"Dbghelp.dll.loaded"))) << "the planted Dbghelp.dll was loaded";
}

TEST_F(HandOver, PairedProgramThatCannotStartIsReported) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    app_.writeIni(iniFor(home(L"jre32"), false, L"Missing32.exe"));
    expectEndedWithMessage(runLauncher(app_),
                           L"Failed to start the paired program " + app_.path(L"Missing32.exe") + L" (errno = 2).\n");
}

// A 32-bit runtime found by the vendors' keys or JAVA_HOME. HKEY_CURRENT_USER\Software
// is one key for both registry views, so a 32-bit installer's entries show there.
// Where installers leave a runtime: a 64-bit one runs the launch; a 32-bit one
// is handed to "Pair Product", or without one the launch ends at JRE Not Found.
enum class VendorHome { x64, x64WithoutBackslash, x86, x86WithPairProduct };

// An empty key: JAVA_HOME names the home.
struct VendorCase {
    const wchar_t* name;
    bool currentUser;
    const wchar_t *key, *value;
    VendorHome home;
};

void PrintTo(const VendorCase& c, std::ostream* out) { *out << ::testing::PrintToString(std::wstring(c.name)); }

class VendorRuntime : public HandOver, public ::testing::WithParamInterface<VendorCase> {};

TEST_P(VendorRuntime, RunsTheLaunchOrIsHandedOverAsItsBitnessSays) {
    const VendorCase& c = GetParam();
    const bool x86 = c.home == VendorHome::x86 || c.home == VendorHome::x86WithPairProduct;
    std::wstring homeFolder = x86 ? home(L"jdk32") : probeRuntimeHome();
    if (x86) createRuntimeFiles(homeFolder, {L"bin\\server\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    if (c.home == VendorHome::x64WithoutBackslash) homeFolder.pop_back();
    std::map<std::wstring, std::wstring> environment = recorderEnvironment();
    if (*c.key) {
        addVendorText(c.currentUser, c.key, c.value, homeFolder);
        if (std::wstring(c.value) == L"Path") addVendorNumber(c.currentUser, c.key, L"JavaHome", 1);
    } else {
        environment[L"JAVA_HOME"] = homeFolder;
    }
    const bool pairProduct = c.home == VendorHome::x86WithPairProduct;
    app_.writeIni(probeIni(L"", L"[Application]\nPair Return Code=yes\n" +
                                    (pairProduct ? L"Pair Product=" + app_.path(L"MyApp32.exe") + L"\n" : std::wstring())));
    const LaunchOutcome outcome = runLauncher(app_, L"", environment);
    if (!x86 || pairProduct) {
        expectEndedWithoutMessage(outcome, x86 ? 42 : 0);
        EXPECT_EQ(recordedCommandLine(), x86 ? L"\"" + app_.exePath() + L"\"" : L"");
        return;
    }
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_TRUE(isJreNotFound(outcome.messages[0])) << jl::toUtf8(outcome.messages[0].text);
    EXPECT_EQ(outcome.exitCode, -1);
    EXPECT_FALSE(fileExists(app_.path(L"pair-record.txt")));
}

INSTANTIATE_TEST_SUITE_P(Installers, VendorRuntime, ::testing::Values(
    VendorCase{L"AdoptiumMachine", false, kAdoptiumKey, L"Path", VendorHome::x64},
    VendorCase{L"SapMachine", false, L"Software\\SapMachine\\JDK\\17.0.9", L"JavaHome", VendorHome::x64},
    VendorCase{L"JavaHomeWithBackslash", false, L"", L"", VendorHome::x64},
    VendorCase{L"JavaHomeWithoutBackslash", false, L"", L"", VendorHome::x64WithoutBackslash},
    VendorCase{L"ThirtyTwoBitUserKey", true, kAdoptiumKey, L"Path", VendorHome::x86},
    VendorCase{L"ThirtyTwoBitUserKeyWithPairProduct", true, kAdoptiumKey, L"Path", VendorHome::x86WithPairProduct},
    VendorCase{L"ThirtyTwoBitMachineKey", false, L"Software\\Azul Systems\\Zulu\\zulu-17", L"InstallationPath", VendorHome::x86},
    VendorCase{L"ThirtyTwoBitJavaHome", false, L"", L"", VendorHome::x86},
    VendorCase{L"ThirtyTwoBitJavaHomeWithPairProduct", false, L"", L"", VendorHome::x86WithPairProduct}),
    [](const ::testing::TestParamInfo<VendorCase>& info) {
        return std::string(info.param.name, info.param.name + wcslen(info.param.name));
    });

// A launch runs on a runtime found by the scan only when the registry and the vendors' keys give none; their
// switch turns it off too, and a 32-bit one is handed to "Pair Product" as theirs are.
TEST_F(HandOver, ScannedFolderRuntimeComesAfterTheRegistryAndTheVendorKeys) {
    const std::wstring scanned = runtimes_ + L"\\UP\\scoop\\apps\\temurin25-jdk\\current";
    ASSERT_TRUE(copyProbeRuntime(scanned));
    writeBytesFile(scanned + L"\\release", "JAVA_VERSION=\"25\"\nOS_ARCH=\"amd64\"\n");
    for (const wchar_t* name : {L"tem21", L"jre11"}) createRuntimeFiles(home(name), {L"bin\\server\\jvm.dll"});
    std::map<std::wstring, std::wstring> environment = recorderEnvironment();
    environment.merge(std::map<std::wstring, std::wstring>{
        {L"ProgramFiles", home(L"PF")}, {L"LOCALAPPDATA", home(L"LA")}, {L"USERPROFILE", home(L"UP")}});
    environment.merge(probeEnvironment(app_));
    const auto launch = [&](const wchar_t* settings, const std::wstring& application = {}) {
        app_.writeIni(probeIni(settings, application));
        return runLauncher(app_, L"", environment);
    };
    expectEndedWithoutMessage(launch(L""));
    EXPECT_NE(loadedProbeJvm(app_).find("temurin25-jdk\\current\\bin\\server\\jvm.dll"), std::string::npos);
    const LaunchOutcome off = launch(L"Search Vendor Runtimes=no\n");
    EXPECT_TRUE(off.messages.size() == 1 && isJreNotFound(off.messages[0]));
    addVendorText(false, kAdoptiumKey, L"Path", home(L"tem21"));
    EXPECT_EQ(failedJvmLibrary(launch(L"")), home(L"tem21") + L"bin\\server\\jvm.dll");
    EXPECT_TRUE(failedJvmLibrary(launch(L"Search Vendor Runtimes=no\n")).empty());
    add(L"Software\\JavaSoft\\JRE\\", L"11.0.2", home(L"jre11"));
    EXPECT_EQ(failedJvmLibrary(launch(L"")), home(L"jre11") + L"bin\\server\\jvm.dll");

    createRuntimeFiles(home(L"UP\\.jdks\\jdk-32"), {L"bin\\server\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    writeBytesFile(home(L"UP\\.jdks\\jdk-32") + L"release", "JAVA_VERSION=\"26\"\nOS_ARCH=\"x86\"\n");
    const std::wstring pair = L"[Application]\nPair Return Code=yes\nPair Product=" + app_.path(L"MyApp32.exe") + L"\n";
    expectEndedWithoutMessage(launch(L"Minimum Version=26\n", pair), 42);
}

// A remembered "JRE Path" whose runtime cannot run in this process: the launch
// searches on as if none were remembered, to a registered runtime or, without
// one, to the JRE Not Found dialog.
// jvmBytes gives none where the runtime was deleted.
struct UnusableJrePathCase { const char* name; std::optional<std::string> (*jvmBytes)(); bool pairProduct; };

void PrintTo(const UnusableJrePathCase& c, std::ostream* out) { *out << c.name; }

std::string probeJvmBytes() { return readBytesFile(probeRuntimeHome() + L"bin\\server\\jvm.dll"); }

class UnusableRememberedJrePath : public HandOver, public ::testing::WithParamInterface<UnusableJrePathCase> {};

TEST_P(UnusableRememberedJrePath, SendsTheLaunchOnToTheSearchAndTheDialog) {
    const UnusableJrePathCase& c = GetParam();
    const std::wstring remembered = home(L"remembered");
    if (const std::optional<std::string> bytes = c.jvmBytes()) {
        createRuntimeFiles(remembered, {L"bin\\java.dll"});
        CreateDirectoryW((remembered + L"bin\\server").c_str(), nullptr);
        writeBytesFile(remembered + L"bin\\server\\jvm.dll", *bytes);
    }
    app_.writeIni(L"[Product Information]\nProduct Name=Demo\nProduct Code={DEMO}\n" +
                  probeIni(L"", c.pairProduct ? L"[Application]\nPair Product=" + app_.path(L"MyApp32.exe") + L"\n"
                                              : std::wstring()));
    SHCreateDirectoryExW(nullptr, (app_.appDataFolder() + L"\\Demo\\{DEMO}").c_str(), nullptr);
    writeUtf16File(app_.appDataFolder() + L"\\Demo\\{DEMO}\\MyApp.ini",
                   L"[Java Runtime Environment]\nJRE Path=" + remembered + L"\n");
    std::map<std::wstring, std::wstring> environment = probeEnvironment(app_);
    environment.merge(recorderEnvironment());

    const LaunchOutcome alone = runLauncher(app_, L"", environment);
    ASSERT_EQ(alone.messages.size(), 1u);
    EXPECT_TRUE(isJreNotFound(alone.messages[0])) << jl::toUtf8(alone.messages[0].text) << jl::toUtf8(app_.readTrace());
    EXPECT_EQ(alone.exitCode, -1);

    add(L"Software\\JavaSoft\\JDK\\", L"17", probeRuntimeHome());
    expectEndedWithoutMessage(runLauncher(app_, L"", environment));
    EXPECT_NE(loadedProbeJvm(app_).find(kProbeJvm), std::string::npos) << loadedProbeJvm(app_);
    EXPECT_FALSE(fileExists(app_.path(L"pair-record.txt")));
}

INSTANTIATE_TEST_SUITE_P(Runtimes, UnusableRememberedJrePath, ::testing::Values(
    UnusableJrePathCase{"ThirtyTwoBit", [] { return std::optional(readBytesFile(builtProgram(L"x86_image.dll"))); },
                        false},
    UnusableJrePathCase{"Deleted", [] { return std::optional<std::string>(); }, false},
    UnusableJrePathCase{"NotAnImageWithPairProduct", [] { return std::optional<std::string>("MZ"); }, true},
    UnusableJrePathCase{"ForArm64", [] { return std::optional(withMachine(probeJvmBytes(), 0xAA64)); }, false}),
    [](const ::testing::TestParamInfo<UnusableJrePathCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace jltest
