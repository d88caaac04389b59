// "Class Data Sharing" = "auto" through whole launches on the bridge runtime
// (real HotSpot 17): the VM's own input arguments show whether a launch makes
// the per-application archive or maps it.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "rig/launcher_run.h"
#include "support/win_text.h"

namespace jltest {
namespace {

constexpr wchar_t kMakes[] = L"-XX:ArchiveClassesAtExit=";
constexpr wchar_t kMaps[] = L"-XX:SharedArchiveFile=";

class ClassDataArchive : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(app_.path(L"Local").c_str(), nullptr);
        CopyFileW(buildFolder(L"runtimes\\launch-report\\report-base.jar").c_str(), app_.path(L"extra.jar").c_str(),
                  FALSE);
        writeIni(buildFolder(L"runtimes\\bridge\\"));
    }

    void writeIni(const std::wstring& runtimeHome) {
        std::wstring ini = bridgeRuntimeIni(L"report.LaunchReport", L"Class Data Sharing=auto\n",
                                            L";" + app_.path(L"extra.jar"));
        ini.replace(ini.find(buildFolder(L"runtimes\\bridge\\")), buildFolder(L"runtimes\\bridge\\").size(), runtimeHome);
        app_.writeIni(L"[Product Information]\nProduct Name=Archive Test\nProduct Code={A}\n" + ini);
    }

    LaunchedProcess startLaunch(const std::wstring& output, std::wstring_view arguments = L"",
                                const std::wstring& localAppData = L"Local") {
        std::map<std::wstring, std::wstring> environment = launcherEnvironment(app_);
        environment[L"LOCALAPPDATA"] = app_.path(localAppData);
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), environment, {},
                                      {.output = app_.path(output), .error = app_.path(L"err.txt")});
    }

    // The VM's input arguments as the Java program reported them.
    std::wstring inputsOf(const std::wstring& output) const {
        const std::map<std::string, std::string> values = reportValues(app_.path(output));
        return values.contains("inputs") ? jl::fromUtf8(values.at("inputs")) : L"(no report)";
    }

    std::vector<std::wstring> archiveFolderNames() const {
        return namesInFolder(app_.path(L"Local\\Archive Test\\{A}"), true);
    }

    AppFolder app_{L"Archived"};
};

TEST_F(ClassDataArchive, FirstLaunchMakesItSecondMapsItAChangedJarMakesANewOne) {
    ASSERT_EQ(startLaunch(L"out1.txt").finish(60000).exitCode, 0) << app_.readTrace() << readBytesFile(app_.path(L"err.txt"));
    EXPECT_NE(inputsOf(L"out1.txt").find(kMakes), std::wstring::npos) << inputsOf(L"out1.txt");
    const std::vector<std::wstring> first = archiveFolderNames();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(first[0].starts_with(L"Archived-") && first[0].ends_with(L".jsa")) << first[0];

    EXPECT_EQ(startLaunch(L"out2.txt").finish(60000).exitCode, 0);
    const std::wstring inputs = inputsOf(L"out2.txt");
    EXPECT_NE(inputs.find(kMaps), std::wstring::npos) << inputs;
    EXPECT_NE(inputs.find(first[0]), std::wstring::npos) << inputs;
    EXPECT_EQ(inputs.find(kMakes), std::wstring::npos) << inputs;

    // A jar on the class path changes: the archive no longer fits and is made again.
    const jl::UniqueFile jar(CreateFileW(app_.path(L"extra.jar").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME later{0x12345678, 0x01D00000};
    ASSERT_TRUE(SetFileTime(jar.get(), nullptr, nullptr, &later));
    EXPECT_EQ(startLaunch(L"out3.txt").finish(60000).exitCode, 0);
    EXPECT_NE(inputsOf(L"out3.txt").find(kMakes), std::wstring::npos) << inputsOf(L"out3.txt");
    const std::vector<std::wstring> remade = archiveFolderNames();
    ASSERT_EQ(remade.size(), 1u);
    EXPECT_NE(remade[0], first[0]);
}

TEST_F(ClassDataArchive, KilledFirstLaunchLeavesNoArchiveALaterLaunchUses) {
    LaunchedProcess killed = startLaunch(L"out1.txt", L"worker:600000");
    for (int i = 0; i < 600 && inputsOf(L"out1.txt") == L"(no report)"; ++i) Sleep(100);
    ASSERT_NE(inputsOf(L"out1.txt").find(kMakes), std::wstring::npos) << inputsOf(L"out1.txt");
    killed.terminate(9);
    (void)killed.waitForExit(10000);
    for (const std::wstring& name : archiveFolderNames()) EXPECT_FALSE(name.ends_with(L".jsa")) << name;

    EXPECT_EQ(startLaunch(L"out2.txt").finish(60000).exitCode, 0);
    EXPECT_NE(inputsOf(L"out2.txt").find(kMakes), std::wstring::npos) << inputsOf(L"out2.txt");
    EXPECT_EQ(inputsOf(L"out2.txt").find(kMaps), std::wstring::npos) << inputsOf(L"out2.txt");
}

TEST_F(ClassDataArchive, TwoFirstLaunchesAtOnceBothEndNormally) {
    LaunchedProcess one = startLaunch(L"out1.txt");
    LaunchedProcess two = startLaunch(L"out2.txt");
    EXPECT_EQ(one.finish(60000).exitCode, 0);
    EXPECT_EQ(two.finish(60000).exitCode, 0);
    const std::vector<std::wstring> names = archiveFolderNames();
    ASSERT_EQ(names.size(), 1u) << (names.empty() ? L"" : names[0]);
    EXPECT_TRUE(names[0].ends_with(L".jsa")) << names[0];
    EXPECT_EQ(startLaunch(L"out3.txt").finish(60000).exitCode, 0);
    EXPECT_NE(inputsOf(L"out3.txt").find(kMaps), std::wstring::npos) << inputsOf(L"out3.txt");
}

TEST_F(ClassDataArchive, NoPlaceToWriteItStartsAsWithoutTheSetting) {
    const LaunchOutcome outcome = startLaunch(L"out1.txt", L"", L"Missing\\Folder").finish(60000);
    expectEndedWithoutMessage(outcome);
    EXPECT_NE(inputsOf(L"out1.txt"), L"(no report)");
    EXPECT_EQ(inputsOf(L"out1.txt").find(L"Archive"), std::wstring::npos) << inputsOf(L"out1.txt");
    EXPECT_EQ(fileLines(app_.path(L"err.txt")), std::vector<std::string>{"report on standard error"});
}

TEST_F(ClassDataArchive, RuntimeWhoseReleaseSaysElevenStartsAsWithoutTheSetting) {
    // The bridge's runtime folder again, its "release" file naming Java 11.
    const std::wstring home = app_.path(L"jre11\\");
    SHCreateDirectoryExW(nullptr, (home + L"bin\\server").c_str(), nullptr);
    for (const wchar_t* file : {L"bin\\java.dll", L"bin\\server\\jvm.dll"})
        ASSERT_TRUE(CopyFileW((buildFolder(L"runtimes\\bridge\\") + file).c_str(), (home + file).c_str(), FALSE));
    writeBytesFile(home + L"release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"11.0.2\"\n");
    writeIni(home);
    for (const wchar_t* output : {L"out1.txt", L"out2.txt"}) {
        const LaunchOutcome outcome = startLaunch(output).finish(60000);
        expectEndedWithoutMessage(outcome);
        const std::wstring inputs = inputsOf(output);
        EXPECT_NE(inputs, L"(no report)");
        EXPECT_EQ(inputs.find(L"Archive"), std::wstring::npos) << inputs;
    }
    EXPECT_TRUE(archiveFolderNames().empty());
}

} // namespace
} // namespace jltest
