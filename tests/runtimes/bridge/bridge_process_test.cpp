// Java programs run in HotSpot through the bridge jvm.dll, one child process
// each, started by jl_bridge_host the way the launcher starts a program: the
// ways the bridge ends the process, and System.out sent to a file.

#include <gtest/gtest.h>

#include <string>

#include "bridge_test_support.h"
#include "rig/app_folder.h"
#include "rig/launched_process.h"

namespace jltest::bridge {
namespace {

struct HostCase {
    const char* name;
    const wchar_t* hostArguments;  // the host's own options, the main class and its arguments
    const wchar_t* outputFile;     // System.out's file in the run's folder, if any
    int exitCode;
    const char* hookLog;           // the lines the host's exit hook writes
    const wchar_t* textFile;       // the file in the run's folder that holds the text, which no other one holds
    const char* text;
    friend void PrintTo(const HostCase& c, std::ostream* out) { *out << c.name; }
};

const HostCase kHostCases[] = {
    {"SetOutToAFileWithANonAsciiName", L"bridge.NormalReturn", L"Ausgabe \u00FC \U0001F600.txt", 0, "",
     L"Ausgabe \u00FC \U0001F600.txt", "normal return with 0 arguments\n"},
    {"LauncherHelperLoadsAClassItFinds", L"--helper bridge.NormalReturn", nullptr, 0, "", L"stdout.txt",
     "normal return with 0 arguments\n"},
    {"LauncherHelperExitsWithOneForAMissingClass", L"--helper bridge.Missing", nullptr, 1, "exit 1\n", L"stderr.txt",
     "Error: Could not find or load main class bridge.Missing"},
    {"SystemExitAfterTheShutdownHooks", L"bridge.ExitFromMain 7", nullptr, 7, "exit 7\n", L"stdout.txt",
     "exiting with 7\nshutdown hook ran\n"},
};

class BridgeProcess : public testing::TestWithParam<HostCase> {};

TEST_P(BridgeProcess, EndsWithTheExpectedCodeHookCallsAndOutput) {
    const HostCase& c = GetParam();
    const std::wstring folder = makeTemporaryFolder(L"bridge-run");
    auto in = [&](const wchar_t* name) { return folder + L"\\" + name; };
    // Plain quotes will do: no argument here holds a quote or ends in a backslash.
    std::wstring arguments = L"\"--jvm=" + jvmPath() + L"\" \"--hook-log=" + in(L"hooks.log") +
                             L"\" \"--option=-Djava.class.path=" + programsJar() + L"\" ";
    if (c.outputFile) arguments += L"\"--out=" + in(c.outputFile) + L"\" ";
    const StandardStreamFiles streams{in(L"stdout.txt"), in(L"stderr.txt")};
    LaunchedProcess host =
        LaunchedProcess::start(builtProgram(L"jl_bridge_host.exe"), arguments + c.hostArguments, {}, {}, streams);
    EXPECT_EQ(host.waitForExit(60000), c.exitCode) << readBytesFile(streams.error);
    EXPECT_EQ(readBytesFile(in(L"hooks.log")), c.hookLog);
    for (const wchar_t* file : {L"stdout.txt", L"stderr.txt", c.outputFile}) {
        if (!file) continue;
        const std::string text = readBytesFile(in(file));
        EXPECT_EQ(text.find(c.text) != text.npos, std::wstring_view(file) == c.textFile) << file << ": " << text;
    }
    removeFolderTree(folder);
}

INSTANTIATE_TEST_SUITE_P(Java, BridgeProcess, testing::ValuesIn(kHostCases),
                         [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace jltest::bridge
