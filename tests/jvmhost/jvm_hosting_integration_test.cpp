// A whole launch on the probe runtime: what the JVM is given, which messages a
// failure shows, and the exit code, seen from outside the launcher.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "rig/launcher_run.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {
namespace {

class ProbeLaunch : public ::testing::Test {
protected:
    // Starts MyApp.exe on a probe home with the given INI lines after "JRE Path".
    LaunchOutcome launch(std::wstring_view ini, std::wstring_view scenario = L"", std::wstring_view arguments = L"",
                         std::wstring_view variant = L"probe") {
        app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + probeRuntimeHome(variant) + L"\n" + std::wstring(ini));
        return runLauncher(app_, std::wstring(arguments),
                           {{L"JL_PROBE_RECORD", app_.path(L"probe.log")}, {L"JL_PROBE_SCENARIO", std::wstring(scenario)}});
    }

    AppFolder app_;
};

constexpr wchar_t kMinimalIni[] = L"Main Class=app.Main\n[Class Path]\nClass Path=C:\\app.jar\n";

TEST_F(ProbeLaunch, OptionsReachTheJvmInOrderInTheAnsiCodePageBetweenThePrintHookAndTheExitHooks) {
    const LaunchOutcome outcome = launch(L"Main Class=app.Main\nLibrary Path=C:\\native\n"
                                         L"Virtual Machine Parameters=-Xmx1:16:16P \"-Dtitle=A B\" -Dcaf\x00E9=1\n"
                                         L"[Class Path]\nClass Path=C:\\app.jar\n");
    expectEndedWithoutMessage(outcome);
    std::vector<std::string> options = probeOptionTexts(app_);
    ASSERT_EQ(options.size(), 9u);
    EXPECT_EQ(options[1].rfind("-Djava.library.path=C:\\native;", 0), 0u) << options[1];
    options[1] = "(library path)";
    // sun.java.command as the java command names the program to the runtime's tools.
    EXPECT_EQ(options, (std::vector<std::string>{"vfprintf", "(library path)", "-Djava.class.path=C:\\app.jar;", "-Xmx16384K",
                                                 "-Dtitle=A B", "-Dcaf\xE9=1", "-Dsun.java.command=app.Main", "abort", "exit"}));
    const std::vector<std::string> hooks = probeEvents(app_, "option");
    for (const size_t hook : {0, 7, 8}) EXPECT_EQ(probe::fieldOf(hooks[hook], "extraInfo"), "1");
    const std::vector<std::string> create = probeEvents(app_, "create");
    ASSERT_EQ(create.size(), 1u);
    EXPECT_EQ(probe::fieldOf(create[0], "version"), "0x00010002");
    EXPECT_EQ(probe::fieldOf(create[0], "ignoreUnrecognized"), "0");
    // The runtime's bin folder is on the DLL search path before jvm.dll loads java.dll.
    EXPECT_EQ(probeEvents(app_, "load").size(), 2u);
}

// The runtime loads java.dll by name once it runs; a copy planted in the folder
// the program is started from must not be the one found, even when Wine searches
// for it as Windows does.
TEST_F(ProbeLaunch, LibraryPlantedInTheWorkingFolderIsNotLoaded) {
    const TemporaryFolder working(L"jlcwd");
    ASSERT_TRUE(CopyFileW(builtProgram(L"planted_dbghelp.dll").c_str(), (working.path() + L"\\java.dll").c_str(), FALSE));
    app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + probeRuntimeHome() + L"\n" + kMinimalIni);
    std::map<std::wstring, std::wstring> environment = probeEnvironment(app_);
    environment[L"WINEDLLOVERRIDES"] = L"java=n,b";
    const LaunchOutcome outcome = LaunchedProcess::start(app_.exePath(), L"", environment, working.path()).finish();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(probeEvents(app_, "load").size(), 2u);
    EXPECT_FALSE(fileExists(working.path() + L"\\java.dll.loaded")) << "the planted java.dll was loaded";
}

TEST_F(ProbeLaunch, JrePathWithoutItsBackslashServesAndOverrideWorkingDirMovesToTheProgramFolder) {
    std::wstring home = probeRuntimeHome();
    home.pop_back();
    const std::wstring elsewhere = makeTemporaryFolder(L"jlcwd");
    for (const bool overrideWorkingDir : {false, true}) {
        app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + home + L"\n" + kMinimalIni +
                      (overrideWorkingDir ? L"[Application]\nOverride WorkingDir=YES\n" : L""));
        DeleteFileW(app_.path(L"probe.log").c_str());
        EXPECT_EQ(LaunchedProcess::start(app_.exePath(), L"", probeEnvironment(app_), elsewhere).finish().exitCode, 0);
        ASSERT_EQ(probeEvents(app_, "create").size(), 1u);
        EXPECT_EQ(probe::utf16FromHex(*probe::fieldOf(probeEvents(app_, "create")[0], "cwd")),
                  overrideWorkingDir ? app_.folder() : elsewhere);
    }
    removeFolderTree(elsewhere);
}

struct CreateFailure { int result; const wchar_t* reason; };

class ProbeCreateFailure : public ProbeLaunch, public ::testing::WithParamInterface<CreateFailure> {};

TEST_P(ProbeCreateFailure, ShowsTheReasonAndEndsWithMinusOne) {
    const LaunchOutcome outcome = launch(kMinimalIni, L"create=" + std::to_wstring(GetParam().result));
    expectEndedWithMessage(outcome, std::wstring(L"JNI exception: failed to create the Java VM\nReason: ") +
                                        GetParam().reason + L".\n");
}

// The reason as the JNI error code gives it; an unknown code gives none.
INSTANTIATE_TEST_SUITE_P(Results, ProbeCreateFailure,
                         ::testing::Values(CreateFailure{-1, L"unknown"}, CreateFailure{-4, L"not enough memory"},
                                           CreateFailure{-6, L"invalid arguments"}, CreateFailure{-42, L""}),
                         [](const auto& info) { return "Result" + std::to_string(info.index); });

TEST_F(ProbeLaunch, MissingEntryPointsAreReported) {
    for (const wchar_t* variant : {L"probe-no-create", L"probe-no-defaultargs"}) {
        expectEndedWithMessage(launch(kMinimalIni, L"", L"", variant),
                               L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n");
    }
}

TEST_F(ProbeLaunch, WithoutTheBootLoaderEntryMainIsFoundByName) {
    const LaunchOutcome outcome = launch(kMinimalIni, L"", L"", L"probe-no-findclass");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(probeEvents(app_, "check-and-load-main").empty());
    EXPECT_FALSE(probeEvents(app_, "destroy").empty());
}

TEST_F(ProbeLaunch, HelperFailureLeavesNoExceptionInTheWayOfTheFallback) {
    expectEndedWithoutMessage(launch(kMinimalIni, L"launcherHelper=no-method"));
    EXPECT_TRUE(probeEvents(app_, "pending-exception").empty());
}

// How main is called: as the runtime's helper says where it says (JDK 25),
// else only a static main(String[]), and the helper refuses an instance one in
// its own words; a class with no main it could run is reported by the launcher.
struct MainFormCase {
    const char* name;
    const wchar_t* scenario;
    std::vector<std::string> calls;  // the application class's methods run, as "name signature"
    const wchar_t* messageStart;     // of the one message; none when empty
    int exitCode;
};

void PrintTo(const MainFormCase& form, std::ostream* out) { *out << form.name; }

class ProbeMainForm : public ProbeLaunch, public ::testing::WithParamInterface<MainFormCase> {};

constexpr char kArgumentsMain[] = "main ([Ljava/lang/String;)V";
constexpr char kNoArgumentMain[] = "main ()V";
constexpr char kConstructor[] = "<init> ()V";

TEST_P(ProbeMainForm, IsCalledAsTheRuntimesHelperSays) {
    const MainFormCase& form = GetParam();
    const LaunchOutcome outcome = launch(kMinimalIni, form.scenario, L"one two");
    if (form.messageStart[0]) {
        expectEndedWithMessageLike(outcome, form.messageStart, L"", form.exitCode);
    } else {
        expectEndedWithoutMessage(outcome, form.exitCode);
    }
    std::vector<std::string> calls;
    for (const std::string& line : probeEvents(app_, "call")) {
        if (probe::fieldOf(line, "class") != "app/Main") continue;
        calls.push_back(probe::percentDecoded(*probe::fieldOf(line, "method")) + " " +
                        probe::percentDecoded(*probe::fieldOf(line, "signature")));
    }
    EXPECT_EQ(calls, form.calls);
    std::vector<std::wstring> arguments;
    if (!form.calls.empty() && form.calls.back() == kArgumentsMain) arguments = {L"one", L"two"};
    EXPECT_EQ(probeMainArguments(app_), arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ProbeMainForm,
    ::testing::Values(
        MainFormCase{"StaticWithArguments", L"launcherHelper=jdk25;mainForm=static", {kArgumentsMain}, L"", 0},
        MainFormCase{"StaticWithoutArguments", L"launcherHelper=jdk25;mainForm=static-no-args", {kNoArgumentMain}, L"", 0},
        MainFormCase{"InstanceWithArguments", L"launcherHelper=jdk25;mainForm=instance", {kConstructor, kArgumentsMain},
                     L"", 0},
        MainFormCase{"InstanceWithoutArguments", L"launcherHelper=jdk25;mainForm=instance-no-args",
                     {kConstructor, kNoArgumentMain}, L"", 0},
        MainFormCase{"InstanceRefusedByAnOlderHelper", L"mainForm=instance", {},
                     L"The Java program ended before its main method was called.", 1},
        MainFormCase{"WithoutArgumentsMissingForAnOlderHelper", L"mainForm=static-no-args", {},
                     L"No main method found in specified class.", -1},
        MainFormCase{"InstanceMissingWithoutAHelper", L"launcherHelper=absent;mainForm=instance", {},
                     L"No main method found in specified class.", -1}),
    [](const auto& info) { return std::string(info.param.name); });

// Each thread that entered the VM (JNI_CreateJavaVM or an attach) left it again,
// however the start failed: DestroyJavaVM waits for every attached thread, and
// a thread that ended attached could keep it waiting for ever.
// The caption of the one message or dialog the launch shows, and its text (a Java Exception dialog has none).
struct FailedStart {
    const char* name;
    const wchar_t *mainClass, *scenario, *caption, *text;
    int exitCode;
};

void PrintTo(const FailedStart& failure, std::ostream* out) { *out << failure.name; }

class ProbeFailedStart : public ProbeLaunch, public ::testing::WithParamInterface<FailedStart> {};

// Per thread id, the times it entered the VM less the times it left, where not zero.
std::map<std::string, int> threadsLeftInTheVm(const std::vector<std::string>& record) {
    std::map<std::string, int> balance;
    for (const std::string& line : record) {
        const std::string event = probe::eventOf(line);
        if ((event != "attach" && event != "detach") || probe::fieldOf(line, "result") != "0") continue;
        balance[*probe::fieldOf(line, "thread")] += event == "attach" ? 1 : -1;
    }
    std::erase_if(balance, [](const auto& entry) { return entry.second == 0; });
    return balance;
}

TEST_P(ProbeFailedStart, EveryThreadThatEnteredTheVmLeavesIt) {
    const FailedStart& failure = GetParam();
    const LaunchOutcome outcome = launch(std::wstring(L"Main Class=") + failure.mainClass +
                                             L"\n[Class Path]\nClass Path=C:\\app.jar\n[Application]\nFailure Check=yes\n",
                                         failure.scenario);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, failure.caption);
    EXPECT_EQ(outcome.messages[0].text, failure.text);
    EXPECT_EQ(outcome.exitCode, failure.exitCode);
    const std::vector<std::string> record = probe::readRecord(app_.path(L"probe.log"));
    EXPECT_EQ(std::ranges::count_if(record, [](const std::string& line) { return probe::eventOf(line) == "attach"; }), 1);
    EXPECT_EQ(threadsLeftInTheVm(record), (std::map<std::string, int>{})) << ::testing::PrintToString(record);
    EXPECT_EQ(std::ranges::count_if(record, [](const std::string& line) { return line == "destroy"; }), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ProbeFailedStart,
    ::testing::Values(
        FailedStart{"MissingClass", L"app.Missing", L"mainClass=app/Main", L"Error",
                    L"Could not find the main class app/Missing.\n", -1},
        FailedStart{"MissingClassWithoutAHelper", L"app.Missing", L"launcherHelper=absent;mainClass=app/Main", L"Error",
                    L"Could not find the main class app/Missing.\n", -1},
        FailedStart{"RefusedMain", L"app.Main", L"main=none", L"Error", L"No main method found in specified class.\n", -1},
        FailedStart{"InitializerExceptionIgnored", L"app.Main", L"initializer=throw", L"Java Exception", L"", -1},
        FailedStart{"ExceptionOutOfMainIgnored", L"app.Main", L"main=throw", L"Java Exception", L"", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A crash of the runtime once main runs is never silent; the message names the
// VM's report where one was written for this launch.
TEST_F(ProbeLaunch, FatalErrorAfterMainIsShownWithTheVmsReport) {
    const std::wstring plainText = L"The Java runtime stopped on a fatal error, and the program has ended.";
    expectEndedWithMessage(launch(kMinimalIni, L"main=abort"), plainText, 3);

    const LaunchOutcome reported = launch(L"Main Class=app.Main\nVirtual Machine Parameters=-XX:ErrorFile=" +
                                              app_.path(L"crash-%p.log") + L"\n[Class Path]\nClass Path=C:\\app.jar\n",
                                          L"main=abort");
    ASSERT_EQ(reported.messages.size(), 1u);
    const std::wstring& text = reported.messages[0].text;
    const std::wstring lead = plainText + L"\nIts error report is in ";
    ASSERT_EQ(text.rfind(lead, 0), 0u) << jl::toUtf8(text);
    const std::wstring named = text.substr(lead.size(), text.size() - lead.size() - 1);
    EXPECT_EQ(named.rfind(app_.path(L"crash-"), 0), 0u) << jl::toUtf8(named);
    EXPECT_EQ(readBytesFile(named).rfind("# A fatal error", 0), 0u) << jl::toUtf8(named);
    EXPECT_EQ(reported.exitCode, 3);
}

TEST_F(ProbeLaunch, EmptyClassPathIsReportedAndTheLaunchGoesOn) {
    expectEndedWithMessage(launch(L"Main Class=app.Main\n"), L"Java Class Path was not specified in INI file.", 0);
    EXPECT_EQ(probeOptionTexts(app_),
              (std::vector<std::string>{"vfprintf", "-Dsun.java.command=app.Main", "abort", "exit"}));
}

TEST_F(ProbeLaunch, VmMessagesReachTheStandardHandlesAfterItsCLibraryStarted) {
    // The probe's C library took its standard handles when it loaded, before any
    // were set: only the print hook gets the VM's words out.
    app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + probeRuntimeHome() + L"\n" + kMinimalIni);
    const StandardStreamFiles noHandles{.output = {}, .error = {}, .withoutHandles = true};
    const auto start = [&](std::wstring_view scenario) {
        return LaunchedProcess::start(app_.exePath(), L"", probeEnvironment(app_, scenario), {}, noHandles).finish();
    };
    expectEndedWithMessage(start(L"create=-6;vmSays=Invalid%20maximum%20heap%20size"),
                           L"JNI exception: failed to create the Java VM\nReason: invalid arguments.\n\n"
                           L"The Java runtime said:\nInvalid maximum heap size (42)");

    app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + probeRuntimeHome() + L"\n" + kMinimalIni +
                  L"[Application]\nError File=" + app_.path(L"err.log") + L"\n");
    EXPECT_EQ(start(L"vmSays=Ignoring%20option").exitCode, 0);
    EXPECT_EQ(readBytesFile(app_.path(L"err.log")), "Ignoring option (42)\n");
}

} // namespace
} // namespace jltest
