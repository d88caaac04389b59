// Start-up figures of the launcher's own work: from entry to the end of the VM
// option list, for a typical INI file and for a class path of 2,000 jars, and
// from entry to the point where JNI_CreateJavaVM is called (with jvm.dll loaded).
//
//   jl_startup_bench [runs]
//
// Each scenario gets an application folder with a copy of this program, which is
// started once per run and times the launcher's steps in its own process.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "jvmopts/jvm_options.h"
#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "runtime/runtime_search.h"
#include "settings/launcher_settings.h"
#include "support/path_text.h"
#include "support/win_text.h"

namespace {

double secondsNow() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// In the copied program: the launch up to the end of the VM option list, in the
// order run() takes the steps; with loadRuntime also jvm.dll, as before the VM is created.
int measureOnce(bool loadRuntime) {
    const double start = secondsNow();
    SetThreadLocale(GetSystemDefaultLCID());
    const std::optional<std::wstring> program = jl::modulePath();
    jl::LauncherSettings settings;
    std::optional<jl::LayeredSettingsSource> layered;
    if (!program || !jl::loadLauncherSettings(*program, settings, layered)) return 1;
    const std::wstring programFolder = jl::folderWithBackslash(*program);
    const std::optional<std::wstring> home = jl::findPrivateRuntime(programFolder);
    if (!home) return 1;
    const std::wstring jvmLibrary = jl::findJvmLibrary(*home, settings.runtime.jvmType);
    jl::JvmConfiguration configuration;
    jl::prepareLibraryPath(jvmLibrary, settings.application.libraryPath, settings.application.systemPath, programFolder,
                           configuration);
    jl::JvmEntryPoints entryPoints;
    if (loadRuntime && !jl::loadJvmLibrary(jvmLibrary, entryPoints)) return 3;
    if (!jl::assembleJvmOptions(*layered, *program, configuration)) return 2;
    const double elapsed = secondsNow() - start;
    const std::wstring exe = jltest::builtProgram(L"");
    jltest::writeBytesFile(exe + L"elapsed.txt", std::to_string(elapsed * 1000.0));
    return 0;
}

struct Scenario {
    const char* name;
    const wchar_t* classPath;
    int jars;
    bool loadsRuntime = false;
};

void runScenario(const Scenario& scenario, int runs) {
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlbench");
    CopyFileW(jltest::builtProgram(L"jl_startup_bench.exe").c_str(), (folder + L"\\BenchApp.exe").c_str(), FALSE);
    CreateDirectoryW((folder + L"\\lib").c_str(), nullptr);
    for (int i = 0; i < scenario.jars; ++i) {
        jltest::writeBytesFile(folder + L"\\lib\\library-" + std::to_wstring(i) + L".jar", "PK");
    }
    {  // a private runtime beside the program, so the runtime search ends early
        CreateDirectoryW((folder + L"\\jre64").c_str(), nullptr);
        CreateDirectoryW((folder + L"\\jre64\\bin").c_str(), nullptr);
        CreateDirectoryW((folder + L"\\jre64\\bin\\server").c_str(), nullptr);
        // The probe runtime's jvm.dll stands in for a real one where it is loaded.
        const std::wstring probe = jltest::testProgramFolder() + L"\\..\\runtimes\\probe\\bin\\";
        CopyFileW((probe + L"java.dll").c_str(), (folder + L"\\jre64\\bin\\java.dll").c_str(), FALSE);
        CopyFileW((probe + L"server\\jvm.dll").c_str(), (folder + L"\\jre64\\bin\\server\\jvm.dll").c_str(), FALSE);
    }
    jltest::writeUtf16File(folder + L"\\BenchApp.ini",
                           std::wstring(L"[Product Information]\nProduct Name=Bench\nProduct Code={B}\n"
                                        L"[Java Runtime Environment]\nMain Class=com.example.Main\nMinimum Version=11\n"
                                        L"Maximum Version=any\nJVM Type=favor_server\nLibrary Path=\\native\n"
                                        L"Virtual Machine Parameters=-Xmx25:256:2048P -Xss1m -Dapp.home=%TEMP% "
                                        L"\"-Dtitle=Bench App\"\n[Class Path]\nClass Path=") +
                               scenario.classPath + L"\n[Application]\nCmd=--mode bench\n");
    std::vector<double> milliseconds;
    for (int run = 0; run < runs; ++run) {
        jltest::LaunchedProcess process = jltest::LaunchedProcess::start(
            folder + L"\\BenchApp.exe", scenario.loadsRuntime ? L"--measure-create" : L"--measure",
                                                                           {{L"JLAUNCHER_LOG", L""}});
        const std::optional<int> code = process.waitForExit(60000);
        Sleep(300);  // let the previous run wind down, so runs do not overlap
        const std::string elapsed = jltest::readBytesFile(folder + L"\\elapsed.txt");
        if (code != 0 || elapsed.empty()) {
            std::printf("%s: run %d failed (exit code %d)\n", scenario.name, run, code.value_or(-999));
            continue;
        }
        milliseconds.push_back(std::stod(elapsed));
    }
    jltest::removeFolderTree(folder);
    if (milliseconds.empty()) return;
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-34s median %7.3f ms   min %7.3f ms   max %7.3f ms   (%zu runs)\n", scenario.name,
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back(), milliseconds.size());
}

// Microseconds since 1970 on the system clock, which Java's Instant also reads.
long long epochMicroseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10) - 11644473600000000LL;
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// From starting a process to the Java program's main, through a launcher copy and
// through a minimal host that only loads the same runtime and calls main.
void timeToMain(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\launch-report\\launch-report.jar");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) {
        std::printf("time to main: the bridge runtime is not built here, nothing measured\n");
        return;
    }
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlmain");
    const std::wstring stampFile = folder + L"\\stamp.txt";
    // DemoApp sends its output to "Output File"; PlainApp has none and is
    // started with its standard output on the file.
    for (const wchar_t* app : {L"DemoApp", L"PlainApp"}) {
        CopyFileW(jltest::builtProgram(L"jlauncher.exe").c_str(), (folder + L"\\" + app + L".exe").c_str(), FALSE);
        jltest::writeUtf16File(folder + L"\\" + app + L".ini",
                               L"[Java Runtime Environment]\nMain Class=report.StartStamp\nJRE Path=" + bridgeHome +
                                   L"\nMinimum Version=11\nMaximum Version=any\n[Class Path]\nClass Path=" + jar +
                                   L"\n[Application]\n" +
                                   (std::wstring(app) == L"DemoApp" ? L"Output File=" + stampFile + L"\n" : L""));
    }
    const std::wstring hostArguments = L"--jvm=\"" + bridgeHome + L"bin\\server\\jvm.dll\" \"--option=-Djava.class.path=" +
                                       jar + L"\" --out=\"" + stampFile + L"\" report.StartStamp";
    std::vector<double> launcherMs, plainMs, hostMs;
    for (int run = 0; run < runs * 3; ++run) {
        DeleteFileW(stampFile.c_str());
        const long long start = epochMicroseconds();
        jltest::LaunchedProcess process =
            run % 3 == 0   ? jltest::LaunchedProcess::start(folder + L"\\DemoApp.exe", L"", {{L"JLAUNCHER_LOG", L""}})
            : run % 3 == 1 ? jltest::LaunchedProcess::start(folder + L"\\PlainApp.exe", L"", {{L"JLAUNCHER_LOG", L""}}, {},
                                                            {.output = stampFile, .error = {}})
                           : jltest::LaunchedProcess::start(jltest::builtProgram(L"jl_bridge_host.exe"), hostArguments);
        const std::optional<int> code = process.waitForExit(60000);
        const std::string stamp = jltest::readBytesFile(stampFile);
        Sleep(300);
        if (code != 0 || stamp.empty()) {
            std::printf("time to main: run %d of variant %d failed\n", run / 3, run % 3);
            continue;
        }
        (run % 3 == 0 ? launcherMs : run % 3 == 1 ? plainMs : hostMs)
            .push_back(static_cast<double>(std::stoll(stamp) - start) / 1000.0);
    }
    jltest::removeFolderTree(folder);
    if (launcherMs.empty() || plainMs.empty() || hostMs.empty()) return;
    for (std::vector<double>* times : {&launcherMs, &plainMs, &hostMs}) std::sort(times->begin(), times->end());
    const double launcher = launcherMs[launcherMs.size() / 2], host = hostMs[hostMs.size() / 2];
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "DemoApp.exe (\"Output File\")", launcher,
                launcherMs.front(), launcherMs.size());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "PlainApp.exe (standard output)",
                plainMs[plainMs.size() / 2], plainMs.front(), plainMs.size());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "minimal host (same runtime)", host,
                hostMs.front(), hostMs.size());
    std::printf("%-34s %.3f (goal: at most 1.05)\n", "ratio launcher / host", launcher / host);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--measure") return measureOnce(false);
    if (argc > 1 && std::wstring(argv[1]) == L"--measure-create") return measureOnce(true);
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    std::printf("Launcher start-up, entry to the end of the VM option list (under this system):\n");
    runScenario({"typical INI (3 class path entries)", L"\\lib\\*.jar;%SystemDrive%\\ext\\x.jar;\\classes", 2}, runs);
    runScenario({"\\lib\\*.jar over 2,000 jars", L"\\lib\\*.jar", 2000}, runs);
    std::printf("Entry to the JNI_CreateJavaVM call, jvm.dll loaded (probe runtime):\n");
    runScenario({"typical INI", L"\\lib\\*.jar;%SystemDrive%\\ext\\x.jar;\\classes", 2, true}, runs);
    std::printf("Time from process start to main, real HotSpot on the bridge runtime:\n");
    timeToMain(runs);
    return 0;
}
