// Which runtime a launch chooses, and the hand-over to a paired 32-bit launcher,
// seen from outside the launcher.

#include <gtest/gtest.h>

#include "rig/launcher_run.h"
#include "rig/runtime_registry.h"

namespace jltest {
namespace {

class RuntimeChoice : public RegisteredRuntimes {
protected:
    AppFolder app_;
};

TEST_F(RuntimeChoice, PrivateRuntimeBesideTheProgramWinsOverARegisteredOne) {
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"jdk17"), {L"bin\\server\\jvm.dll"});
    add(L"Software\\JavaSoft\\JDK\\", L"17", home(L"jdk17"));
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\n");
    const LaunchOutcome outcome = runLauncher(app_);
    EXPECT_EQ(failedJvmLibrary(outcome), app_.path(L"jre64\\bin\\server\\jvm.dll"));
    EXPECT_EQ(outcome.exitCode, -1);
}

TEST_F(RuntimeChoice, ProgramInsideARuntimeUsesThatRuntime) {
    createRuntimeFiles(app_.folder() + L"\\", {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\n");
    const LaunchOutcome outcome = runLauncher(app_);
    EXPECT_EQ(failedJvmLibrary(outcome), app_.path(L"bin\\client\\jvm.dll"));
    EXPECT_EQ(outcome.exitCode, -1);
}

TEST_F(RuntimeChoice, JrePathWithoutJvmFallsThroughPrivateRuntimeToTheRegistry) {
    createRuntimeFiles(home(L"configured"), {L"bin\\java.dll"});
    createRuntimeFiles(app_.path(L"jre64\\"), {L"bin\\java.dll", L"bin\\client\\jvm.dll"});
    createRuntimeFiles(home(L"jre11"), {L"bin\\server\\jvm.dll"});
    add(L"Software\\JavaSoft\\JRE\\", L"11.0.2", home(L"jre11"));
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nJVM Type=server\nJRE Path=" + home(L"configured") + L"\n");
    const LaunchOutcome outcome = runLauncher(app_);
    EXPECT_EQ(failedJvmLibrary(outcome), home(L"jre11") + L"bin\\server\\jvm.dll");
    EXPECT_EQ(outcome.exitCode, -1);
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

// A paired 32-bit launcher that records how it was started.
class HandOver : public RuntimeChoice {
protected:
    void SetUp() override {
        RuntimeChoice::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(CopyFileW(builtProgram(L"jl_pair_recorder.exe").c_str(), app_.path(L"MyApp32.exe").c_str(), FALSE));
    }

    std::wstring iniFor(const std::wstring& jrePath, bool returnCode) const {
        return L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + jrePath + L"\n[Application]\nPair Product=" +
               app_.path(L"MyApp32.exe") + L"\n" + (returnCode ? L"Pair Return Code=YES\n" : L"");
    }

    std::map<std::wstring, std::wstring> recorderEnvironment() const {
        return {{L"JL_PAIR_RECORD", app_.path(L"pair-record.txt")}, {L"JL_PAIR_EXIT_CODE", L"42"}};
    }

    std::wstring recordedCommandLine() const {
        const std::string bytes = readBytesFile(app_.path(L"pair-record.txt"));
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
};

TEST_F(HandOver, ThirtyTwoBitJrePathStartsThePairedProgramWithTheSameCommandLine) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    app_.writeIni(iniFor(home(L"jre32"), true));
    const std::wstring arguments = L"-open \"two words\" ü";
    const LaunchOutcome outcome = runLauncher(app_, arguments, recorderEnvironment());
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.exitCode, 42);
    EXPECT_EQ(recordedCommandLine(), L"\"" + app_.exePath() + L"\" " + arguments);
}

TEST_F(HandOver, WithoutPairReturnCodeTheLauncherEndsWithZero) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"}, builtProgram(L"x86_image.dll"));
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
    app_.writeIni(L"[Java Runtime Environment]\nMain Class=Main\nJRE Path=" + home(L"jre32") +
                  L"\n[Application]\nPair Product=" + app_.path(L"Missing32.exe") + L"\n");
    const LaunchOutcome outcome = runLauncher(app_);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text,
              L"Failed to start the paired program " + app_.path(L"Missing32.exe") + L" (errno = 2).\n");
    EXPECT_EQ(outcome.exitCode, -1);
}

} // namespace
} // namespace jltest
