// Java programs run in HotSpot through the bridge jvm.dll, one child process
// each, started by jl_bridge_host the way the launcher starts a program.

#include <gtest/gtest.h>

#include "bridge_test_support.h"
#include "rig/app_folder.h"

namespace jltest::bridge {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(BridgeProcess, MainReturningEndsWithZeroWithoutTheExitHook) {
    const HostRun run = runHost({.mainClass = L"bridge.NormalReturn", .arguments = {L"a", L"b"}});
    EXPECT_EQ(run.exitCode, 0) << run.error;
    EXPECT_EQ(run.output, "normal return with 2 arguments\n");
    EXPECT_EQ(run.hookLog, "");
}

struct ExitCase {
    const wchar_t* mainClass;
    int status;
    const char* printed;
    const char* notPrinted;
    friend void PrintTo(const ExitCase& c, std::ostream* out) { *out << c.status; }
};

class BridgeSystemExit : public testing::TestWithParam<ExitCase> {};

TEST_P(BridgeSystemExit, EndsTheProcessWithTheStatusThroughTheLaunchersExitHook) {
    const ExitCase& c = GetParam();
    const HostRun run = runHost({.mainClass = c.mainClass, .arguments = {std::to_wstring(c.status)}});
    EXPECT_EQ(run.exitCode, c.status) << run.error;
    EXPECT_EQ(run.hookLog, "exit " + std::to_string(c.status) + "\n");
    EXPECT_TRUE(contains(run.output, c.printed)) << run.output;
    EXPECT_FALSE(contains(run.output, c.notPrinted)) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Java, BridgeSystemExit,
    testing::Values(ExitCase{L"bridge.ExitFromMain", 7, "exiting with 7\nshutdown hook ran\n", "still running"},
                    ExitCase{L"bridge.ExitFromThread", 9, "exiting from exiter\n", "main went on"}),
    [](const testing::TestParamInfo<ExitCase>& info) {
        return info.param.status == 7 ? "FromMain" : "FromAnotherThread";
    });

TEST(BridgeProcess, AbortEndsTheProcessThroughTheLaunchersAbortHook) {
    const std::wstring folder = makeTemporaryFolder(L"bridge-abort");
    const HostRun run = runHost({.mainClass = L"bridge.ExhaustHeap",
                                 .options = {L"-Xmx16m", L"-XX:+CrashOnOutOfMemoryError", L"-XX:-CreateCoredumpOnCrash",
                                             L"-XX:ErrorFile=" + folder + L"\\hs_err.log"}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.hookLog, "abort\n");
    EXPECT_TRUE(contains(run.output, "Aborting due to java.lang.OutOfMemoryError")) << run.output;
    EXPECT_TRUE(fileExists(folder + L"\\hs_err.log"));
    removeFolderTree(folder);
}

TEST(BridgeProcess, ExceptionEscapingMainReachesTheHostWithItsTrace) {
    const HostRun run = runHost({.mainClass = L"bridge.EscapingException"});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_TRUE(contains(run.error,
                         "java.lang.IllegalStateException: escaped main\n"
                         "\tat bridge.EscapingException.main(EscapingException.java:"))
        << run.error;
}

TEST(BridgeProcess, DestroyJavaVmWaitsForANonDaemonThreadThatOutlivesMain) {
    const HostRun run = runHost({.mainClass = L"bridge.OutlivingThread", .arguments = {L"400"}});
    EXPECT_EQ(run.exitCode, 0) << run.error;
    EXPECT_EQ(run.output, "main returned\nworker finished\n");
}

TEST(BridgeProcess, SetOutSendsJavaOutputToAFileWithAWindowsName) {
    const std::wstring folder = makeTemporaryFolder(L"bridge-out");
    const std::wstring file = folder + L"\\Ausgabe \u00FC \U0001F600.txt";
    const HostRun run = runHost({.mainClass = L"bridge.NormalReturn", .outputFile = file});
    EXPECT_EQ(run.exitCode, 0) << run.error;
    EXPECT_EQ(readBytesFile(file), "normal return with 0 arguments\n");
    EXPECT_EQ(run.output, "");
    removeFolderTree(folder);
}

TEST(BridgeProcess, ArgumentsReachMainAsUnicodeIncludingSurrogatePairs) {
    const std::vector<std::wstring> arguments = {
        L"plain", L"two words", L"Gr\u00FC\u00DFe", L"\u65E5\u672C", L"\U0001F600 \U0001D11E", L""};
    const HostRun run = runHost({.mainClass = L"bridge.PrintArguments", .arguments = arguments});
    ASSERT_EQ(run.exitCode, 0) << run.error;
    const auto printed = printedValues(run.output);
    ASSERT_TRUE(run.output.starts_with("count 6\n")) << run.output;
    ASSERT_EQ(printed.size(), arguments.size()) << run.output;
    for (size_t i = 0; i < arguments.size(); ++i) EXPECT_EQ(printed.at(std::to_string(i)), arguments[i]) << i;
}

TEST(BridgeProcess, JavaSeesTheWindowsEnvironmentAndAnsiOptionsAsUnicode) {
    const HostRun run = runHost({.mainClass = L"bridge.PrintValues",
                                 .arguments = {L"env:VQ_JVM_PATH", L"env:PATH", L"prop:bridge.text"},
                                 .options = {L"-Dbridge.text=caf\u00E9 \u00A3"},
                                 .environment = {{L"VQ_JVM_PATH", L"C:\\Java\\M\u00FCller \u65E5\\jvm.dll"},
                                                 {L"PATH", L"C:\\windows\\system32;C:\\bridge-only"}}});
    ASSERT_EQ(run.exitCode, 0) << run.error;
    const auto printed = printedValues(run.output);
    EXPECT_EQ(printed.at("VQ_JVM_PATH"), L"C:\\Java\\M\u00FCller \u65E5\\jvm.dll");
    EXPECT_EQ(printed.at("PATH"), L"C:\\windows\\system32;C:\\bridge-only");
    EXPECT_EQ(printed.at("bridge.text"), L"caf\u00E9 \u00A3");
}

TEST(BridgeProcess, WindowsClassPathBecomesAUnixPathList) {
    const std::wstring folder = makeTemporaryFolder(L"bridge-jar \u00E4");
    const std::wstring jar = folder + L"\\programs.jar";
    ASSERT_TRUE(CopyFileW(programsJar().c_str(), jar.c_str(), FALSE));
    const HostRun run = runHost({.mainClass = L"bridge.PrintValues",
                                 .arguments = {L"prop:java.class.path"},
                                 .options = {L"-Djava.class.path=C:\\missing\\a.jar;" + jar}});
    EXPECT_EQ(run.exitCode, 0) << run.error;
    const std::wstring classPath = printedValues(run.output)["java.class.path"];
    EXPECT_EQ(classPath.find(L'\\'), std::wstring::npos) << run.output;
    EXPECT_NE(classPath.find(L"/missing/a.jar:/"), std::wstring::npos) << run.output;
    const std::wstring folderName = folder.substr(folder.rfind(L'\\') + 1);
    EXPECT_TRUE(classPath.ends_with(L"/" + folderName + L"/programs.jar")) << run.output;
    removeFolderTree(folder);
}

TEST(BridgeProcess, LauncherHelperLoadsTheMainClass) {
    const HostRun run = runHost({.mainClass = L"bridge.NormalReturn", .throughLauncherHelper = true});
    EXPECT_EQ(run.exitCode, 0) << run.error;
    EXPECT_EQ(run.output, "normal return with 0 arguments\n");
}

TEST(BridgeProcess, LauncherHelperEndsTheProcessWithOneForAMissingClass) {
    const HostRun run = runHost({.mainClass = L"bridge.Missing", .throughLauncherHelper = true});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.hookLog, "exit 1\n");
    EXPECT_TRUE(contains(run.error, "Error: Could not find or load main class bridge.Missing")) << run.error;
}

TEST(BridgeProcess, UnrecognizedOptionFailsVmCreation) {
    const HostRun run = runHost({.mainClass = L"bridge.NormalReturn", .options = {L"-Xbridge-unknown"}});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(contains(run.error, "Unrecognized option: -Xbridge-unknown")) << run.error;
}

} // namespace
} // namespace jltest::bridge
