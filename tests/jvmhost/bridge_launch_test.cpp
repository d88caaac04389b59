// Whole launches through the shipped launcher on the bridge runtime, where the
// Java program runs in real HotSpot and reports what it was given.

#include <gtest/gtest.h>

#include <map>

#include "rig/launcher_run.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {
namespace {

class BridgeLaunch : public ::testing::Test {
protected:
    // Runs report.LaunchReport (or another class) with extra INI lines in the
    // runtime section and in [Application] (where they win over the report files).
    LaunchOutcome launch(std::wstring_view arguments, std::wstring_view runtimeLines = L"",
                         std::wstring_view applicationLines = L"", std::wstring_view mainClass = L"report.LaunchReport") {
        return start(mainClass, runtimeLines,
                     std::wstring(applicationLines) + L"Output File=" + app_.path(L"out.txt") + L"\nError File=" +
                         app_.path(L"err.txt") + L"\n",
                     arguments);
    }

    // A start as from Explorer (no standard handles) unless streams are given;
    // the class path is the report jar and classPathExtra.
    LaunchOutcome start(std::wstring_view mainClass, std::wstring_view runtimeLines, std::wstring_view applicationLines,
                        std::wstring_view arguments = L"", std::wstring_view classPathExtra = L"",
                        const StandardStreamFiles& streams = {.output = {}, .error = {}, .withoutHandles = true}, const std::wstring& libjvm = {}) {
        app_.writeIni(bridgeRuntimeIni(mainClass, runtimeLines, classPathExtra) + std::wstring(applicationLines));
        std::map<std::wstring, std::wstring> environment = launcherEnvironment(app_);
        environment[L"JL_BRIDGE_VALUE"] = L"from the environment";
        if (!libjvm.empty()) environment[L"JL_BRIDGE_LIBJVM"] = libjvm;
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), environment, {}, streams).finish(60000);
    }

    AppFolder app_;
};

TEST_F(BridgeLaunch, JavaProgramSeesItsArgumentsOptionsAndRuntime) {
    const LaunchOutcome outcome =
        launch(L"\x00FC\x4E2D \"two words\" \"\" \xD83D\xDE00",
               L"Virtual Machine Parameters=-Dreport.value=\"%JL_BRIDGE_VALUE%\" -Xmx1:64:64P\n",
               L"Cmd=--from-cmd \"c d\"\n");
    expectEndedWithoutMessage(outcome);
    auto values = reportValues(app_.path(L"out.txt"));
    std::vector<std::string> arguments(std::stoul("0" + values["args"]));
    for (size_t i = 0; i < arguments.size(); ++i) arguments[i] = values["arg" + std::to_string(i)];
    EXPECT_EQ(arguments, (std::vector<std::string>{"fc 4e2d", "74 77 6f 20 77 6f 72 64 73", "", "1f600",
                                                   "2d 2d 66 72 6f 6d 2d 63 6d 64", "63 20 64"}));
    EXPECT_EQ(values["prop:report.value"], "from the environment");
    EXPECT_NE(values["inputs"].find("-Xmx65536K"), std::string::npos) << values["inputs"];
    EXPECT_NE(values["inputs"].find("-Dreport.value=from the environment"), std::string::npos) << values["inputs"];
    // Tools name the program by its class and arguments.
    const std::string& command = values["prop:sun.java.command"];
    EXPECT_TRUE(command.starts_with("report.LaunchReport \xC3\xBC")) << command;
    EXPECT_NE(command.find(" two words  "), std::string::npos) << command;
    EXPECT_TRUE(command.ends_with(" --from-cmd c d")) << command;
    EXPECT_TRUE(std::stoull(values["maxMemory"]) > (48ull << 20) && std::stoull(values["maxMemory"]) <= (64ull << 20))
        << values["maxMemory"];
    EXPECT_TRUE(values["prop:java.class.path"].ends_with("launch-report.jar")) << values["prop:java.class.path"];
    const std::string home = jl::toUtf8(buildFolder(L"runtimes\\bridge"));
    EXPECT_EQ(values["env:VQ_JVM_PATH"], home + "\\bin\\server\\jvm.dll");
    EXPECT_EQ(values["env:VQ_JVM_HOME"], home);
    // The rewritten Path, whichever spelling of its name the environment keeps.
    EXPECT_TRUE(values["env:PATH"].ends_with(";" + home + "\\bin") || values["env:Path"].ends_with(";" + home + "\\bin"))
        << values["env:PATH"] << "\n" << values["env:Path"];
    EXPECT_EQ(reportValues(app_.path(L"err.txt"))["report"], "on standard error");
}

TEST_F(BridgeLaunch, ExitCodeFollowsHowTheJavaProgramEnds) {
    EXPECT_EQ(launch(L"exit:7").exitCode, 7);
    EXPECT_EQ(launch(L"thread-exit:9").exitCode, 9);
    EXPECT_EQ(launch(L"worker:700").exitCode, 0);
    const std::string output = readBytesFile(app_.path(L"out.txt"));
    EXPECT_LT(output.find("main returns"), output.find("worker finished")) << output;
}

TEST_F(BridgeLaunch, OutputGoesToDateStampedFilesAppendedOrStartedAfresh) {
    const std::wstring year = localDate(L"yyyy");
    const std::wstring stamped = app_.path(L"logs\\") + year + L"\\out.txt";
    SHCreateDirectoryExW(nullptr, (app_.path(L"logs\\") + year).c_str(), nullptr);
    writeBytesFile(stamped, "earlier run\n");
    writeBytesFile(app_.path(L"err.txt"), "earlier error\n");
    ASSERT_EQ(launch(L"", L"", L"Output File=" + app_.path(L"logs\\%yyyy\\'out'%.txt") + L"\nOutput Append=yes\n").exitCode, 0);
    const std::string output = readBytesFile(stamped);
    EXPECT_EQ(output.rfind("earlier run\n", 0), 0u) << output;
    EXPECT_NE(output.find("main returns"), std::string::npos) << output;
    EXPECT_EQ(readBytesFile(app_.path(L"err.txt")), "report on standard error\n");
}

// HotSpot writes its report where -XX:ErrorFile says and calls the abort hook,
// whose message names the report. (A crash in native code would reach Wine's
// own fault handler before HotSpot's here, so the program runs out of heap.)
TEST_F(BridgeLaunch, VmCrashInMainIsExplainedWithItsReport) {
    const LaunchOutcome outcome =
        launch(L"", L"Virtual Machine Parameters=-Xmx32m -XX:+CrashOnOutOfMemoryError -XX:ErrorFile=" + app_.path(L"crash.log") + L"\n", L"",
               L"report.CrashVm");
    ASSERT_TRUE(outcome.exitCode.has_value());
    EXPECT_NE(*outcome.exitCode, 0);
    ASSERT_EQ(outcome.messages.size(), 1u) << jl::toUtf8(app_.readTrace()) << readBytesFile(app_.path(L"crash.log")).substr(0, 3000) << readBytesFile(app_.path(L"err.txt"));
    EXPECT_EQ(outcome.messages[0].text, L"The Java runtime stopped on a fatal error, and the program has ended.\n"
                                        L"Its error report is in " + app_.path(L"crash.log") + L".");
    EXPECT_NE(readBytesFile(app_.path(L"crash.log")).find("A fatal error has been detected"), std::string::npos);
    EXPECT_NE(readBytesFile(app_.path(L"out.txt")).find("main crashes the VM"), std::string::npos);
}

// VM options a user or an administrator adds without touching the settings: the
// administrator's file beside the program wins over the INI, the user's file
// (beside the per-user INI copy) over both.
TEST_F(BridgeLaunch, VmOptionsFilesOverrideTheSettingsInTheirOrder) {
    const std::wstring product = L"[Product Information]\nProduct Name=Tool\nProduct Code={C0DE}\n";
    const std::wstring ini = L"Virtual Machine Parameters=-Xmx48m -Dreport.value=ini\n";
    const std::wstring userFolder = app_.appDataFolder() + L"\\Tool\\{C0DE}";
    const auto launchWithFiles = [&] { return launch(L"", ini + product); };
    const auto maxMiB = [&] { return std::stoull(reportValues(app_.path(L"out.txt"))["maxMemory"]) >> 20; };

    writeBytesFile(app_.path(L"MyApp.vmoptions"),
                   "# raised by the administrator\r\n\r\n  -Xmx96m  \r\n-Dreport.value=admin\r\n-cp C:\\other.jar\r\n");
    expectEndedWithoutMessage(launchWithFiles());
    std::map<std::string, std::string> values = reportValues(app_.path(L"out.txt"));
    EXPECT_EQ(values["prop:report.value"], "admin");
    EXPECT_TRUE(values["prop:java.class.path"].ends_with("launch-report.jar")) << values["prop:java.class.path"];
    EXPECT_EQ(values["inputs"].find("-Xmx48m"), std::string::npos) << values["inputs"];
    EXPECT_TRUE(maxMiB() > 80 && maxMiB() <= 96) << maxMiB();

    // The user's file, in UTF-8, with a size relative to the machine's memory.
    SHCreateDirectoryExW(nullptr, userFolder.c_str(), nullptr);
    writeBytesFile(userFolder + L"\\MyApp.vmoptions", "-Xmx1:160:160P\n-Dreport.value=\xC3\xBC\n");
    expectEndedWithoutMessage(launchWithFiles());
    values = reportValues(app_.path(L"out.txt"));
    EXPECT_EQ(values["prop:report.value"], "\xC3\xBC");
    EXPECT_TRUE(maxMiB() > 128 && maxMiB() <= 160) << maxMiB();

    // A file that cannot be read is skipped: here the administrator's is a folder.
    DeleteFileW(app_.path(L"MyApp.vmoptions").c_str());
    CreateDirectoryW(app_.path(L"MyApp.vmoptions").c_str(), nullptr);
    expectEndedWithoutMessage(launchWithFiles());
    EXPECT_EQ(reportValues(app_.path(L"out.txt"))["prop:report.value"], "\xC3\xBC");
    EXPECT_GT(maxMiB(), 128u);
}

TEST_F(BridgeLaunch, JavaMainThreadRunsWithTheXssStack) {
    ASSERT_EQ(launch(L"").exitCode, 0);
    const unsigned long long defaultDepth = std::stoull(reportValues(app_.path(L"out.txt"))["depth"]);
    ASSERT_EQ(launch(L"", L"Virtual Machine Parameters=-Xss16m\n").exitCode, 0);
    const unsigned long long largeDepth = std::stoull(reportValues(app_.path(L"out.txt"))["depth"]);
    EXPECT_GT(largeDepth, 3 * defaultDepth) << defaultDepth << " frames by default, " << largeDepth << " with -Xss16m";
}


// A start that fails says why, in the runtime's words where it printed any, and
// the process ends: a Java main thread left in the VM would keep HotSpot's
// DestroyJavaVM waiting until the run is killed.
// The message begins with the launcher's own text and holds the runtime's words further on.
struct StartFailure {
    const char* name;
    const wchar_t *mainClass, *vmParameters, *classPathExtra, *messageStart, *runtimeWords;
    int exitCode;
};

void PrintTo(const StartFailure& failure, std::ostream* out) { *out << failure.name; }

class BridgeStartFailure : public BridgeLaunch, public ::testing::WithParamInterface<StartFailure> {};

constexpr wchar_t kCreateFailed[] = L"JNI exception: failed to create the Java VM\nReason: ";
constexpr wchar_t kEndedBeforeMain[] = L"The Java program ended before its main method was called.\n\nThe Java runtime said:\n";

TEST_P(BridgeStartFailure, EndsWithTheReasonInTheRuntimesWordsAndANonZeroCode) {
    const StartFailure& failure = GetParam();
    const std::wstring extra = failure.classPathExtra[0] ? L";" + buildFolder(failure.classPathExtra) : L"";
    expectEndedWithMessageLike(
        start(failure.mainClass, std::wstring(L"Virtual Machine Parameters=") + failure.vmParameters + L"\n", L"", L"", extra),
        failure.messageStart, failure.runtimeWords, failure.exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BridgeStartFailure,
    ::testing::Values(
        StartFailure{"UnknownOption", L"report.LaunchReport", L"-XX:+NoSuchOptionAnywhere", L"", kCreateFailed,
                     L"Unrecognized VM option 'NoSuchOptionAnywhere'", -1},
        StartFailure{"BadHeapSize", L"report.LaunchReport", L"-Xmx25%", L"", kCreateFailed,
                     L"Invalid maximum heap size: -Xmx25%", -1},
        StartFailure{"HeapSizesContradict", L"report.LaunchReport", L"-Xms64m -Xmx32m", L"", kEndedBeforeMain,
                     L"Initial heap size set to a larger value than the maximum heap size", 1},
        StartFailure{"NonPublicMain", L"report.NonPublicMain", L"", L"", kEndedBeforeMain,
                     L"Error: Main method not found in class report.NonPublicMain", 1},
        StartFailure{"ClassFileTooNew", L"report.FromTheFuture", L"", L"runtimes\\launch-report\\newer", kEndedBeforeMain,
                     L"java.lang.UnsupportedClassVersionError: report/FromTheFuture", 1},
        StartFailure{"SuperclassMissing", L"report.NeedsMissingBase", L"", L"", kEndedBeforeMain,
                     L"java.lang.NoClassDefFoundError: report/MissingBase", 1},
        StartFailure{"InitializerThrows", L"report.FailingInitializer", L"", L"",
                     L"The main class report/FailingInitializer could not be initialized:\njava.lang.ExceptionInInitializerError",
                     L"Caused by: java.lang.NumberFormatException: For input string: \"not a number\"", -1},
        StartFailure{"NoArgumentMainOnJava17", L"report.NoArgumentMain", L"", L"", L"No main method found in specified class.\n",
                     L"", -1},
        StartFailure{"MissingClass", L"report.Missing", L"", L"", L"Could not find the main class report/Missing.\n",
                     L"", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeLaunch, VmAndFileDescriptorOutputReachTheFilesOrTheGivenHandles) {
    // The VM's own log on standard output, its warning on standard error.
    const std::wstring vmOutput = L"Virtual Machine Parameters=-Xlog:gc:stdout -XX:+UseBiasedLocking\n";
    const auto check = [](const std::string& output, const std::string& error) {
        EXPECT_NE(output.find("[gc] Using "), std::string::npos) << output;
        EXPECT_NE(output.find("System.out\nFileDescriptor.out\n"), std::string::npos) << output;
        EXPECT_NE(error.find("Option UseBiasedLocking was deprecated"), std::string::npos) << error;
        EXPECT_NE(error.find("System.err\nFileDescriptor.err\n"), std::string::npos) << error;
    };
    ASSERT_EQ(launch(L"", vmOutput, L"", L"report.Streams").exitCode, 0);
    check(readBytesFile(app_.path(L"out.txt")), readBytesFile(app_.path(L"err.txt")));
    const StandardStreamFiles given{app_.path(L"given-out.txt"), app_.path(L"given-err.txt")};
    ASSERT_EQ(start(L"report.Streams", vmOutput, L"", L"", L"", given).exitCode, 0);
    check(readBytesFile(given.output), readBytesFile(given.error));
}

TEST_F(BridgeLaunch, JavaFxApplicationStartsThroughTheRuntimesHelper) {
    const LaunchOutcome outcome =
        launch(L"one", L"Virtual Machine Parameters=--module-path=" +
                           buildFolder(L"runtimes\\launch-report\\javafx-graphics.jar") + L" --add-modules=javafx.graphics\n",
               L"", L"report.FxApplication");
    expectEndedWithoutMessage(outcome);
    EXPECT_EQ(readBytesFile(app_.path(L"out.txt")), "JavaFX launch of report.FxApplication (LM_CLASS) with 1 argument(s)\n");
}

// A file of the application shapes the build packs, as a full path.
std::wstring shapesFile(std::wstring_view relative) { return buildFolder(L"runtimes\\shapes\\" + std::wstring(relative)); }

// Executable jars and named modules: each started with no class path unless a
// case gives one, the program's report in out.txt.
class BridgeShapes : public BridgeLaunch {
protected:
    LaunchOutcome shape(std::wstring_view runtimeLines, std::wstring_view classPathLines = L"",
                        std::wstring_view arguments = L"") {
        app_.writeIni(L"[Java Runtime Environment]\nJRE Path=" + buildFolder(L"runtimes\\bridge\\") + L"\n" +
                      std::wstring(runtimeLines) + L"[Class Path]\n" + std::wstring(classPathLines) +
                      L"[Application]\nOutput File=" + app_.path(L"out.txt") + L"\nError File=" + app_.path(L"err.txt") + L"\n");
        return LaunchedProcess::start(app_.exePath(), std::wstring(arguments), launcherEnvironment(app_)).finish(60000);
    }
    // The program's report holds these values (among others).
    void expectReport(const std::map<std::string, std::string>& expected) const {
        std::map<std::string, std::string> values = reportValues(app_.path(L"out.txt"));
        std::erase_if(values, [&](const auto& value) { return !expected.contains(value.first); });
        EXPECT_EQ(values, expected);
    }
    const std::wstring modules_ = L"Module Path=" + shapesFile(L"mods\\shapes.app.jar") + L"\n";
};

TEST_F(BridgeShapes, ExecutableJarRunsItsManifestMainClassWithItsClassPathAndOpens) {
    const std::wstring jar = shapesFile(L"app\\shapes-app.jar");
    expectEndedWithoutMessage(shape(L"Main Jar=" + jar + L"\n", L"", L"one \"two words\""));
    // "lib" comes from the manifest's Class-Path, "opened" from its Add-Opens.
    expectReport({{"class", "shapes.JarMain"}, {"module", "null"}, {"lib", "shapes-lib"}, {"opened", "true"},
                  {"command", jl::toUtf8(jar) + " one two words"}});

    // "Main Class" beside the jar: that class runs, and the manifest's Main-Class and Add-Opens are not read.
    expectEndedWithoutMessage(shape(L"Main Jar=" + jar + L"\nMain Class=shapes.OtherMain\n", L"", L"x"));
    expectReport({{"class", "shapes.OtherMain"}, {"lib", "shapes-lib"}, {"opened", "false"}, {"command", "shapes.OtherMain x"}});
}

TEST_F(BridgeShapes, JarWithoutMainClassOrMissingIsExplained) {
    expectEndedWithMessageLike(shape(L"Main Jar=" + shapesFile(L"app\\shapes-nomain.jar") + L"\n"), kEndedBeforeMain,
                               L"no main manifest attribute", 1);

    expectEndedWithMessage(shape(L"Main Jar=\\missing\\app.jar\n"),
                           L"The main jar " + app_.folder() + L"\\missing\\app.jar was not found.");
}

TEST_F(BridgeShapes, ModuleRunsItsModuleMainClassOrTheNamedClass) {
    expectEndedWithoutMessage(shape(L"Main Module=shapes.app\n", modules_, L"a"));
    expectReport({{"class", "shapes.app.ModMain"}, {"module", "shapes.app"}, {"command", "shapes.app a"}, {"extra", "false"},
                  {"opened", "false"}});

    expectEndedWithoutMessage(shape(L"Main Module=shapes.app/shapes.app.Second\n", modules_));
    expectReport({{"class", "shapes.app.Second"}, {"module", "shapes.app"}, {"command", "shapes.app/shapes.app.Second"}});
}

TEST_F(BridgeShapes, MissingModuleAndConflictingKeysAreExplained) {
    const LaunchOutcome missing = shape(L"Main Module=shapes.nowhere\n", modules_);
    expectEndedWithMessageLike(missing, L"", L"Module shapes.nowhere not found", {});
    EXPECT_NE(missing.exitCode, 0);

    expectEndedWithMessage(
        shape(L"Main Module=shapes.app\nMain Class=shapes.app.ModMain\n", modules_),
        L"Main Module and Main Class cannot both be set: a program starts from a module, or from a class or a jar.");
    expectEndedWithMessage(
        shape(L"Main Module=shapes.app\nMain Jar=" + shapesFile(L"app\\shapes-app.jar") + L"\n", modules_),
        L"Main Module and Main Jar cannot both be set: a program starts from a module, or from a class or a jar.");
}

// The README's three examples, each started as written (plus the bridge as the
// runtime where the example names none, and the output file) with the files it
// names placed beside the program: an executable jar, a module with the java
// command's two-word options, and a jlink image of java.base and the application's
// module shipped as jre64, which "Main Module" alone starts on its own VM and
// modules. Its jlink command made the image the build uses.
std::vector<std::wstring> readmeShapeExamples() {
    const std::string readme = readBytesFile(L"Z:" + jl::fromUtf8(JL_SOURCE_DIR) + L"/README.md");
    const size_t section = readme.find("### Executable jars, modules and runtime images");
    const size_t end = readme.find("\n### ", section + 1);
    std::vector<std::wstring> examples;
    for (size_t at = readme.find("```ini\n", section); at < end; at = readme.find("```ini\n", at)) {
        at += 7;
        examples.push_back(jl::fromUtf8(readme.substr(at, readme.find("```", at) - at)));
    }
    return examples;
}

TEST_F(BridgeShapes, ReadmeExamplesRunAsWritten) {
    const std::vector<std::wstring> examples = readmeShapeExamples();
    ASSERT_EQ(examples.size(), 3u);
    const std::wstring section = L"[Java Runtime Environment]\n";
    const std::wstring bridge = section + L"JRE Path=" + buildFolder(L"runtimes\\bridge\\") + L"\n";
    const std::wstring output = L"[Application]\nOutput File=" + app_.path(L"out.txt") + L"\n";
    const auto run = [&](std::wstring ini) {
        ini.replace(ini.find(section), section.size(), bridge);
        app_.writeIni(ini + output);
        return LaunchedProcess::start(app_.exePath(), L"", launcherEnvironment(app_)).finish(60000);
    };

    ASSERT_TRUE(CreateDirectoryW(app_.path(L"app").c_str(), nullptr));
    for (const wchar_t* jar : {L"shapes-app.jar", L"shapes-lib.jar"})
        ASSERT_TRUE(CopyFileW(shapesFile(L"app\\" + std::wstring(jar)).c_str(), app_.path(L"app\\" + std::wstring(jar)).c_str(), FALSE));
    expectEndedWithoutMessage(run(examples[0]));
    expectReport({{"class", "shapes.JarMain"}});

    ASSERT_TRUE(copyFolder(shapesFile(L"mods"), app_.path(L"mods")));
    expectEndedWithoutMessage(run(examples[1]));
    expectReport({{"class", "shapes.app.ModMain"}, {"extra", "true"}, {"opened", "true"}});

    ASSERT_TRUE(copyFolder(shapesFile(L"jre64"), app_.path(L"jre64")));
    app_.writeIni(examples[2] + output);
    expectEndedWithoutMessage(LaunchedProcess::start(app_.exePath(), L"", launcherEnvironment(app_)).finish(60000));
    // The image's modules (no java.desktop), not the build machine's JDK.
    expectReport({{"class", "shapes.app.ModMain"}, {"module", "shapes.app"}, {"desktop", "false"}});
    EXPECT_TRUE(reportValues(app_.path(L"out.txt"))["home"].ends_with("/jre64")) << readBytesFile(app_.path(L"out.txt"));
}

TEST_F(BridgeLaunch, InstanceAndParameterlessMainRunOnJava25) {
    const std::wstring libjvm = modernHotSpot();
    if (libjvm.empty()) GTEST_SKIP() << "no Java 25 or later JDK under /usr/lib/jvm";
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"report.InstanceMain", "instance main with 2 argument(s)\n"},
        {L"report.NoArgumentMain", "static main without arguments\n"},
        {L"report.InstanceNoArgumentMain", "instance main without arguments\n"}};
    for (const auto& [mainClass, printed] : cases) {
        const LaunchOutcome outcome = start(mainClass, L"", L"Output File=" + app_.path(L"out.txt") + L"\n", L"a b", L"",
                                            {.output = {}, .error = {}, .withoutHandles = true}, libjvm);
        expectEndedWithoutMessage(outcome);
        EXPECT_EQ(readBytesFile(app_.path(L"out.txt")), printed);
    }
}

} // namespace
} // namespace jltest
