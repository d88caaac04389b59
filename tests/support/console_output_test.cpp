// The console twin of the launcher, started as a shell starts a command in a
// pipeline: pipes for all three standard handles, the exit code read back. The
// Java programs run in real HotSpot on the bridge runtime. The twin is the GUI
// program's sources linked for the console subsystem, so what it shares with the
// GUI program (runtimes, modes, single instance, archives) is that program's
// tests'; here what the subsystem changes: the image's header, the streams, the
// command line, the exit code, Ctrl+C, and failures told on standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <span>
#include <string>

#include "rig/launcher_run.h"
#include "support/pe_headers.h"
#include "support/win_text.h"

namespace jltest {
namespace {

class ConsoleLauncher : public ::testing::Test {
protected:
    ConsoleLauncher() : app_(L"MyTool", L"jlauncherc.exe") {}

    // Runs the tool on the bridge runtime with that main class, input on its standard input.
    LaunchOutcome run(std::wstring_view mainClass, std::wstring_view arguments, const std::string& input = {},
                      std::wstring_view runtimeLines = {}, std::wstring_view applicationLines = {}) {
        app_.writeIni(bridgeRuntimeIni(mainClass, runtimeLines) + std::wstring(applicationLines));
        return runWritten(arguments, input);
    }
    LaunchOutcome runWritten(std::wstring_view arguments, const std::string& input = {}) {
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), launcherEnvironment(app_), {},
                                      {.output = {}, .error = {}, .withoutHandles = false, .pipes = true, .input = input})
            .finish(60000);
    }

    AppFolder app_;
};

TEST_F(ConsoleLauncher, PipedInputAndOutputArriveInOrderAndTheOutputFilesStillRedirect) {
    const LaunchOutcome echoed = run(L"report.ConsoleTool", L"echo", "first line\nzweite Zeile \xC3\xBC\n");
    EXPECT_EQ(echoed.exitCode, 0) << echoed.error;
    EXPECT_EQ(textLines(echoed.output), (std::vector<std::string>{"in: first line", "in: zweite Zeile \xC3\xBC"}));
    const std::vector<std::string> out{"out 1", "out 2", "out 3"}, err{"err 1", "err 2", "err 3"};
    const LaunchOutcome both = run(L"report.ConsoleTool", L"both");
    EXPECT_EQ(both.exitCode, 0) << both.error;
    EXPECT_EQ(textLines(both.output), out);
    EXPECT_EQ(textLines(both.error), err);
    const LaunchOutcome files = run(L"report.ConsoleTool", L"both", {}, {},
                                    L"Output File=" + app_.path(L"out.txt") + L"\nError File=" + app_.path(L"err.txt") + L"\n");
    EXPECT_EQ(files.exitCode, 0) << files.error;
    EXPECT_EQ(fileLines(app_.path(L"out.txt")), out);
    EXPECT_EQ(fileLines(app_.path(L"err.txt")), err);
    EXPECT_EQ(files.output.find("out 1"), std::string::npos);
}

TEST_F(ConsoleLauncher, ExitCodesAreTheJavaCommands) {
    EXPECT_EQ(run(L"report.ConsoleTool", L"").exitCode, 0);
    EXPECT_EQ(run(L"report.ConsoleTool", L"exit:3").exitCode, 3);
    // Failure Check has no dialog to show in a console program.
    const LaunchOutcome thrown = run(L"report.ThrowFromMain", L"", {}, {}, L"Failure Check=yes\n");
    EXPECT_EQ(thrown.exitCode, 1);
    EXPECT_TRUE(thrown.messages.empty());
    EXPECT_EQ(thrown.error.rfind("Exception in thread \"main\" java.lang.IllegalStateException: Gr\xC3\xBC\xC3\x9F" "e", 0), 0u)
        << thrown.error;
    EXPECT_NE(thrown.error.find("\tat report.ThrowFromMain.descend("), std::string::npos) << thrown.error;
    EXPECT_EQ(textLines(thrown.output), std::vector<std::string>{"main throws"});
}

// Ctrl+C pressed on the console while main waits: the runtime's own handling
// runs the shutdown hooks and ends with 130, as under the java command. The
// launcher has no handler of its own that could swallow the event. The helper
// gives the program a console that takes control events (see its header).
TEST_F(ConsoleLauncher, CtrlCRunsTheShutdownHooksAndEndsWith130) {
    app_.writeIni(bridgeRuntimeIni(L"report.ConsoleTool") + L"Output File=" + app_.path(L"out.txt") + L"\n");
    std::map<std::wstring, std::wstring> environment = launcherEnvironment(app_);
    const LaunchOutcome outcome =
        LaunchedProcess::start(builtProgram(L"jl_ctrl_c_sender.exe"),
                               L"\"" + app_.path(L"out.txt") + L"\" waiting \"" + app_.exePath() + L"\" hook", environment)
            .finish(120000);
    EXPECT_EQ(outcome.exitCode, 130);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(fileLines(app_.path(L"out.txt")), (std::vector<std::string>{"waiting", "hook ran"}));
}

// Before the VM exists Ctrl+C simply ends the launcher: it installed no handler
// of its own that could hold the event back. Here the launcher has done all it
// does before the VM (search, load, options) and waits in the probe runtime's
// JNI_CreateJavaVM, which has made no VM yet. The probe runtime is a plain PE
// DLL: WINEDLLPATH must not lead Wine to HotSpot instead.
TEST_F(ConsoleLauncher, CtrlCBeforeTheVmExistsEndsTheLauncher) {
    app_.writeIni(probeIni(L"JRE Path=" + probeRuntimeHome() + L"\n", L"[Application]\n"));
    std::map<std::wstring, std::wstring> environment = probeEnvironment(app_, L"createDelay=20000");
    environment[L"WINEDLLPATH"] = L"";
    const ULONGLONG started = GetTickCount64();
    const LaunchOutcome outcome =
        LaunchedProcess::start(builtProgram(L"jl_ctrl_c_sender.exe"),
                               L"\"" + app_.tracePath() + L"\" \"JNI_CreateJavaVM called\" \"" + app_.exePath() + L"\"",
                               environment)
            .finish(60000);
    ASSERT_TRUE(outcome.exitCode);
    // The default handling: STATUS_CONTROL_C_EXIT on Windows, 0 under Wine.
    EXPECT_TRUE(*outcome.exitCode == static_cast<int>(STATUS_CONTROL_C_EXIT) || *outcome.exitCode == 0)
        << *outcome.exitCode;
    EXPECT_LT(GetTickCount64() - started, 15000u) << "the launcher outlived the event";
    // The helper pressed Ctrl+C only once the call was made; it never came back.
    const std::string trace = readBytesFile(app_.tracePath());
    EXPECT_NE(trace.find("JNI_CreateJavaVM called"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("JNI_CreateJavaVM returned"), std::string::npos) << trace;
    EXPECT_TRUE(outcome.messages.empty());
}

// The program reports each argument as its UTF-16 code units.
TEST_F(ConsoleLauncher, ArgumentsArriveExactly) {
    const LaunchOutcome outcome = run(L"report.LaunchReport", L"\x00FC\x4E2D \"two words\" \"\" \xD83D\xDE00");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.error;
    const std::vector<std::string> lines = textLines(outcome.output);
    for (const char* line : {"args 4", "arg0 fc 4e2d", "arg1 74 77 6f 20 77 6f 72 64 73", "arg2 ", "arg3 1f600"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n" << outcome.output;
    }
}

TEST(ConsoleProgram, ImageHeadersSayWhichLauncherIsWhich) {
    const std::string console = readBytesFile(builtProgram(L"jlauncherc.exe"));
    const std::string gui = readBytesFile(builtProgram(L"jlauncher.exe"));
    const auto bytes = [](const std::string& image) {
        return std::span(reinterpret_cast<const uint8_t*>(image.data()), image.size());
    };
    EXPECT_EQ(jl::readPeSubsystem(bytes(console)), jl::kSubsystemWindowsConsole);
    EXPECT_EQ(jl::readPeSubsystem(bytes(gui)), jl::kSubsystemWindowsGui);
    for (const std::string* image : {&console, &gui}) {
        EXPECT_EQ(jl::peImageBitness(bytes(*image)), jl::ImageBitness::x64);
        // Stripped: no COFF symbol table is left in the image.
        const auto header = jl::readPeFileHeader(bytes(*image));
        ASSERT_TRUE(header);
        EXPECT_EQ(image->compare(header->signatureOffset + 12, 4, std::string(4, '\0')), 0);
    }
}

// Each start-up failure: the GUI launcher's words on standard error, its exit code, no window.
struct StartupFailure {
    const char* name;
    const wchar_t* mainClass;     // on the bridge runtime; null: the INI text below instead
    const wchar_t* runtimeLines;  // or that INI text
    const char* errorStart;
    const char* errorPart;  // further on
    int exitCode;
    friend void PrintTo(const StartupFailure& failure, std::ostream* out) { *out << failure.name; }
};

class ConsoleStartupFailure : public ConsoleLauncher, public ::testing::WithParamInterface<StartupFailure> {};

TEST_P(ConsoleStartupFailure, SaysWhyOnStandardErrorWithTheGuiLaunchersCode) {
    const StartupFailure& failure = GetParam();
    app_.writeIni(failure.mainClass ? bridgeRuntimeIni(failure.mainClass, failure.runtimeLines) : failure.runtimeLines);
    const LaunchOutcome outcome = runWritten(L"");
    EXPECT_TRUE(outcome.messages.empty()) << jl::toUtf8(outcome.messages.empty() ? L"" : outcome.messages[0].text);
    EXPECT_EQ(outcome.exitCode, failure.exitCode);
    EXPECT_EQ(outcome.error.rfind(failure.errorStart, 0), 0u) << outcome.error;
    EXPECT_NE(outcome.error.find(failure.errorPart), std::string::npos) << outcome.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConsoleStartupFailure,
    ::testing::Values(
        StartupFailure{"NoRuntime", nullptr,
                       L"[Java Runtime Environment]\nJVM Type=client\nMinimum Version=any\nMaximum Version=any\n"
                       L"Main Class=app.Main\n[Class Path]\nClass Path=C:\\app.jar\n",
                       "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (latest "
                       "version) from:\r\nhttps://www.java.com/download/\r\n",
                       "", -1},
        StartupFailure{"NoMainClass", L"", L"", "Main class was not specified in INI file.\r\n", "", -1},
        StartupFailure{"BadVmOption", L"report.LaunchReport", L"Virtual Machine Parameters=-XX:+NoSuchOptionAnywhere\n",
                       "", "JNI exception: failed to create the Java VM\r\nReason: ", -1},
        // The runtime's own report of the class comes first, as under the java command.
        StartupFailure{"MissingMainClass", L"report.Missing", L"", "", "\nCould not find the main class report/Missing.\r\n",
                       -1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace jltest
