// Start-up figures: the launcher's size; its own work from entry to the end of
// the VM option list (a typical INI file, a class path of 2,000 jars) and from
// entry to the point where JNI_CreateJavaVM is called (with jvm.dll loaded), also
// as a share of the time to main; on real HotSpot the time to main against a
// minimal host, the time to the end of main of a program of 2,000 classes
// without and with the class-data archive, a second start's round trip, and
// when the splash shows against when the VM is created.
//
//   jl_startup_bench [runs [shapes]]
//
// Each scenario gets an application folder with a copy of this program, which is
// started once per run and times the launcher's steps in its own process.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "jvmopts/jvm_options.h"
#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "rig/runtime_registry.h"
#include "runtime/runtime_folders.h"
#include "runtime/runtime_search.h"
#include "settings/launcher_settings.h"
#include "support/path_text.h"
#include "support/unique_resource.h"
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
    if (!program || !jl::loadLauncherSettings(*program, settings)) return 1;
    const std::wstring programFolder = jl::folderWithBackslash(*program);
    const std::optional<std::wstring> home = jl::findPrivateRuntime(programFolder);
    if (!home) return 1;
    const std::wstring jvmLibrary = jl::findJvmLibrary(*home, settings.runtime.jvmType);
    jl::JvmConfiguration configuration;
    jl::prepareLibraryPath(jvmLibrary, settings.jvm, programFolder, configuration);
    jl::JvmEntryPoints entryPoints;
    if (loadRuntime && !jl::loadJvmLibrary(jvmLibrary, entryPoints)) return 3;
    if (!jl::assembleJvmOptions(settings.jvm, settings.application, *program, configuration)) return 2;
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
    bool bridgeRuntime = false;  // HotSpot's jvm.dll rather than the probe's
};

// The median in milliseconds; negative when no run succeeded.
double runScenario(const Scenario& scenario, int runs) {
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
        const std::wstring probe = jltest::testProgramFolder() +
                                   (scenario.bridgeRuntime ? L"\\..\\runtimes\\bridge\\bin\\" : L"\\..\\runtimes\\probe\\bin\\");
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
    if (milliseconds.empty()) return -1.0;
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-34s median %7.3f ms   min %7.3f ms   max %7.3f ms   (%zu runs)\n", scenario.name,
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back(), milliseconds.size());
    return milliseconds[milliseconds.size() / 2];
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

// From starting a process to the Java program's main, through a launcher copy,
// through a minimal host that does what the runtime's own launcher does before
// main (creates the VM, asks LauncherHelper for the main class, calls main), and
// through a bare host that finds the class itself; and through a copy of the
// console launcher, against that same host, itself a console program. The
// launcher's median, or negative when nothing was measured.
double timeToMain(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\launch-report\\launch-report.jar");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) {
        std::printf("time to main: the bridge runtime is not built here, nothing measured\n");
        return -1.0;
    }
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlmain");
    const std::wstring stampFile = folder + L"\\stamp.txt";
    // DemoApp sends its output to "Output File"; PlainApp has none and is
    // started with its standard output on the file. ToolApp is the console
    // launcher, with "Output File" as DemoApp.
    for (const wchar_t* app : {L"DemoApp", L"PlainApp", L"ToolApp"}) {
        const bool console = std::wstring(app) == L"ToolApp";
        CopyFileW(jltest::builtProgram(console ? L"jlauncherc.exe" : L"jlauncher.exe").c_str(),
                  (folder + L"\\" + app + L".exe").c_str(), FALSE);
        jltest::writeUtf16File(folder + L"\\" + app + L".ini",
                               L"[Java Runtime Environment]\nMain Class=report.StartStamp\nJRE Path=" + bridgeHome +
                                   L"\nMinimum Version=11\nMaximum Version=any\n[Class Path]\nClass Path=" + jar +
                                   L"\n[Application]\n" +
                                   (std::wstring(app) != L"PlainApp" ? L"Output File=" + stampFile + L"\n" : L""));
    }
    const std::wstring hostArguments = L"--jvm=\"" + bridgeHome + L"bin\\server\\jvm.dll\" \"--option=-Djava.class.path=" +
                                       jar + L"\" --out=\"" + stampFile + L"\" ";
    constexpr int kVariants = 5;
    std::vector<double> times[kVariants];
    for (int run = 0; run < runs * kVariants; ++run) {
        DeleteFileW(stampFile.c_str());
        const int variant = run % kVariants;
        const long long start = epochMicroseconds();
        jltest::LaunchedProcess process =
            variant == 0   ? jltest::LaunchedProcess::start(folder + L"\\DemoApp.exe", L"", {{L"JLAUNCHER_LOG", L""}})
            : variant == 1 ? jltest::LaunchedProcess::start(folder + L"\\PlainApp.exe", L"", {{L"JLAUNCHER_LOG", L""}}, {},
                                                            {.output = stampFile, .error = {}})
            : variant == 2 ? jltest::LaunchedProcess::start(jltest::builtProgram(L"jl_bridge_host.exe"),
                                                            hostArguments + L"--helper report.StartStamp")
            : variant == 3 ? jltest::LaunchedProcess::start(jltest::builtProgram(L"jl_bridge_host.exe"),
                                                            hostArguments + L"report.StartStamp")
                           : jltest::LaunchedProcess::start(folder + L"\\ToolApp.exe", L"", {{L"JLAUNCHER_LOG", L""}});
        const std::optional<int> code = process.waitForExit(60000);
        const std::string stamp = jltest::readBytesFile(stampFile);
        Sleep(300);
        if (code != 0 || stamp.empty()) {
            std::printf("time to main: run %d of variant %d failed\n", run / kVariants, variant);
            continue;
        }
        times[variant].push_back(static_cast<double>(std::stoll(stamp) - start) / 1000.0);
    }
    jltest::removeFolderTree(folder);
    for (std::vector<double>& list : times) {
        if (list.empty()) return -1.0;
        std::sort(list.begin(), list.end());
    }
    const auto median = [](const std::vector<double>& list) { return list[list.size() / 2]; };
    const char* names[kVariants] = {"DemoApp.exe (\"Output File\")", "PlainApp.exe (standard output)",
                                    "host like the runtime's launcher", "bare host (finds the class itself)",
                                    "ToolApp.exe (console launcher)"};
    for (int i = 0; i < kVariants; ++i) {
        std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", names[i], median(times[i]),
                    times[i].front(), times[i].size());
    }
    std::printf("%-34s %.3f (goal: at most 1.03)\n", "ratio launcher / host", median(times[0]) / median(times[2]));
    std::printf("%-34s %.3f\n", "ratio launcher / bare host", median(times[0]) / median(times[3]));
    // The host is a console program too: the console launcher's own ratio.
    std::printf("%-34s %.3f (goal: at most 1.03)\n", "ratio console launcher / host", median(times[4]) / median(times[2]));
    return median(times[0]);
}

// From starting a process to main for an executable jar and for a named module:
// a launcher copy against the minimal host doing what the java command does for
// that shape (the jar on the class path or the main module's property, the
// program's name for tools, the runtime's helper in the jar or module mode), on
// the same bridge runtime, alternating.
void timeToMainInShapes(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring shapes = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\shapes\\");
    const std::wstring jar = shapes + L"app\\shapes-app.jar", mods = shapes + L"mods";
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) {
        std::printf("time to main in jar and module mode: the shapes are not built here, nothing measured\n");
        return;
    }
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlshape");
    const std::wstring stampFile = folder + L"\\stamp.txt";
    const std::wstring host = L"--jvm=\"" + bridgeHome + L"bin\\server\\jvm.dll\" --out=\"" + stampFile + L"\" --helper ";
    struct Shape {
        const char* name;
        std::wstring settings;
        std::wstring hostArguments;
    };
    const Shape shapeList[] = {
        {"jar", L"Main Jar=" + jar + L"\n[Class Path]\n",
         host + L"\"--option=-Djava.class.path=" + jar + L"\" \"--option=-Dsun.java.command=" + jar + L" stamp\" --mode=2 \"" +
             jar + L"\" stamp"},
        {"module", L"Main Module=shapes.app\n[Class Path]\nModule Path=" + mods + L"\n",
         host + L"\"--option=--module-path=" + mods + L"\" --option=-Djdk.module.main=shapes.app "
                L"\"--option=-Dsun.java.command=shapes.app stamp\" --mode=3 shapes.app stamp"}};
    CopyFileW(jltest::builtProgram(L"jlauncher.exe").c_str(), (folder + L"\\ShapeApp.exe").c_str(), FALSE);
    for (const Shape& shape : shapeList) {
        jltest::writeUtf16File(folder + L"\\ShapeApp.ini", L"[Java Runtime Environment]\nJRE Path=" + bridgeHome + L"\n" +
                                                               shape.settings + L"[Application]\nOutput File=" +
                                                               stampFile + L"\n");
        std::vector<double> times[2];
        for (int run = 0; run < runs * 2; ++run) {
            DeleteFileW(stampFile.c_str());
            const long long start = epochMicroseconds();
            jltest::LaunchedProcess process =
                run % 2 == 0 ? jltest::LaunchedProcess::start(folder + L"\\ShapeApp.exe", L"stamp", {{L"JLAUNCHER_LOG", L""}})
                             : jltest::LaunchedProcess::start(jltest::builtProgram(L"jl_bridge_host.exe"), shape.hostArguments);
            const std::optional<int> code = process.waitForExit(60000);
            const std::string stamp = jltest::readBytesFile(stampFile);
            Sleep(300);
            if (code != 0 || stamp.empty()) {
                std::printf("time to main, %s mode: run %d of the %s failed\n", shape.name, run / 2,
                            run % 2 == 0 ? "launcher" : "host");
                continue;
            }
            times[run % 2].push_back(static_cast<double>(std::stoll(stamp) - start) / 1000.0);
        }
        if (times[0].empty() || times[1].empty()) continue;
        for (std::vector<double>& list : times) std::sort(list.begin(), list.end());
        const double launcher = times[0][times[0].size() / 2], minimal = times[1][times[1].size() / 2];
        std::printf("time to main, %-6s mode: launcher median %7.1f ms, host like the java command %7.1f ms, "
                    "ratio %.3f (goal: at most 1.03)\n",
                    shape.name, launcher, minimal, launcher / minimal);
    }
    jltest::removeFolderTree(folder);
}

// Time to the end of main for a program that loads 2,000 classes of its own,
// without the class-data archive and with it (its second and later launches),
// alternating in one run.
void timeClassDataArchive(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\bench-classes\\many-classes.jar");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) {
        std::printf("class-data archive: the bridge runtime or the program is not built here, nothing measured\n");
        return;
    }
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlarchive");
    const std::wstring stampFile = folder + L"\\stamp.txt";
    for (const wchar_t* app : {L"Plain", L"Archived"}) {
        CopyFileW(jltest::builtProgram(L"jlauncher.exe").c_str(), (folder + L"\\" + app + L".exe").c_str(), FALSE);
        jltest::writeUtf16File(folder + L"\\" + app + L".ini",
                               L"[Java Runtime Environment]\nMain Class=bench.ManyClasses\nJRE Path=" + bridgeHome +
                                   (std::wstring(app) == L"Archived" ? L"\nClass Data Sharing=auto" : L"") +
                                   L"\n[Class Path]\nClass Path=" + jar + L"\n[Application]\nOutput File=" + stampFile + L"\n");
    }
    const std::map<std::wstring, std::wstring> environment = {{L"JLAUNCHER_LOG", L""},
                                                              {L"LOCALAPPDATA", folder + L"\\Local"}};
    const auto timeOnce = [&](const wchar_t* app) -> double {
        DeleteFileW(stampFile.c_str());
        const long long start = epochMicroseconds();
        jltest::LaunchedProcess process =
            jltest::LaunchedProcess::start(folder + L"\\" + app + L".exe", L"", environment);
        const std::optional<int> code = process.waitForExit(120000);
        const std::string stamp = jltest::readBytesFile(stampFile);
        Sleep(300);
        return code == 0 && !stamp.empty() ? static_cast<double>(std::stoll(stamp) - start) / 1000.0 : -1.0;
    };
    const double first = timeOnce(L"Archived");
    std::vector<double> without, with;
    for (int run = 0; run < runs; ++run) {
        for (const bool archived : {false, true}) {
            const double ms = timeOnce(archived ? L"Archived" : L"Plain");
            if (ms < 0) {
                std::printf("class-data archive: run %d %s the archive failed\n", run, archived ? "with" : "without");
                continue;
            }
            (archived ? with : without).push_back(ms);
        }
    }
    jltest::removeFolderTree(folder);
    if (without.empty() || with.empty()) return;
    std::sort(without.begin(), without.end());
    std::sort(with.begin(), with.end());
    const double plain = without[without.size() / 2], archived = with[with.size() / 2];
    std::printf("%-34s %7.1f ms\n", "first launch (writes the archive)", first);
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "without the archive", plain, without.front(),
                without.size());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "with the archive", archived, with.front(),
                with.size());
    std::printf("%-34s %.0f%% (goal: at least 40%%)\n", "time saved", (1.0 - archived / plain) * 100.0);
}

// From starting a second DemoApp.exe to its exit with the int form of
// secondaryMain's reply, against a primary already in main on the same runtime.
void timeSecondaryReply(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\launch-report\\launch-report.jar");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) return;
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlsecondary");
    const std::wstring exe = folder + L"\\DemoApp.exe";
    CopyFileW(jltest::builtProgram(L"jlauncher.exe").c_str(), exe.c_str(), FALSE);
    jltest::writeUtf16File(folder + L"\\DemoApp.ini",
                           L"[Java Runtime Environment]\nMain Class=report.Forwarded$IntForm\nJRE Path=" + bridgeHome +
                               L"\n[Class Path]\nClass Path=" + jar + L"\n[Application]\nSingle Instance=yes\nOutput File=" +
                               folder + L"\\out.txt\n");
    jltest::LaunchedProcess primary = jltest::LaunchedProcess::start(exe, L"hold:600000", {{L"JLAUNCHER_LOG", L""}});
    for (int i = 0; i < 600 && jltest::readBytesFile(folder + L"\\out.txt").find("main") == std::string::npos; ++i) {
        Sleep(100);
    }
    std::vector<double> milliseconds;
    for (int run = 0; run < runs; ++run) {
        const double start = secondsNow();
        jltest::LaunchedProcess secondary = jltest::LaunchedProcess::start(exe, L"reply:7", {{L"JLAUNCHER_LOG", L""}});
        const std::optional<int> code = secondary.waitForExit(60000);
        const double elapsed = (secondsNow() - start) * 1000.0;
        if (code == 7) {
            milliseconds.push_back(elapsed);
        } else {
            std::printf("second start: run %d failed (exit code %d)\n", run, code.value_or(-999));
        }
    }
    primary.terminate(0);
    (void)primary.waitForExit(5000);
    jltest::removeFolderTree(folder);
    if (milliseconds.empty()) return;
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   (%zu runs)\n", "second start to exit with reply",
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.size());
}

// Milliseconds since 1970, the clock Java's currentTimeMillis reads.
double epochMs() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<double>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
                               116444736000000000ull) / 10000.0;
}

// The time the service program noted beside that line, "<line> @<ms>"; negative when none.
double notedMs(const std::wstring& output, const std::string& line) {
    const std::string text = jltest::readBytesFile(output);
    const size_t found = text.find(line + " @");
    return found == std::string::npos ? -1.0 : std::atof(text.c_str() + found + line.size() + 2);
}

// Polls the service (1 ms) until it leaves the state; the moment it did, or negative after a minute.
double whenLeft(SC_HANDLE service, DWORD state, DWORD& reached) {
    SERVICE_STATUS status{};
    for (const ULONGLONG end = GetTickCount64() + 60000; GetTickCount64() < end; Sleep(1)) {
        if (QueryServiceStatus(service, &status) && status.dwCurrentState != state) {
            reached = status.dwCurrentState;
            return epochMs();
        }
    }
    return -1.0;
}

void printMedian(const char* name, std::vector<double> totals, std::vector<double> shares) {
    if (totals.empty()) return;
    std::sort(totals.begin(), totals.end());
    std::sort(shares.begin(), shares.end());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   the launcher's share %6.1f ms (%zu runs)\n", name,
                totals[totals.size() / 2], totals.front(), shares[shares.size() / 2], totals.size());
}

// StartService to RUNNING and the stop control to STOPPED of a service of the
// report program with a stop method. The launcher's share of the start: its
// process's creation to the VM's (Wine's process start and jvm.dll's loading
// included); of the stop: the control to the stop method, and the last
// shutdown hook to STOPPED.
void timeService(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\launch-report\\launch-report.jar");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(jar)) return;
    jltest::AppFolder app(L"BenchService");
    const std::wstring name = L"JlBench" + std::to_wstring(GetCurrentProcessId()), output = app.path(L"out.txt");
    app.writeIni(L"[Java Runtime Environment]\nMain Class=report.ServiceProgram\nJRE Path=" + bridgeHome +
                 L"\n[Class Path]\nClass Path=" + jar + L"\n[Application]\nApplication Type=service\nOutput File=" +
                 output + L"\n[Service]\nService Name=" + name + L"\nStop Method=report.ServiceProgram.stop\n");
    if (jltest::LaunchedProcess::start(app.exePath(), L"--install-service --quiet").waitForExit(60000) != 0) {
        std::printf("service: the install failed, nothing measured\n");
        return;
    }
    const jl::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const jl::UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    std::vector<double> starts, startShares, stops, stopShares;
    for (int run = 0; run < runs; ++run) {
        DeleteFileW(output.c_str());
        const wchar_t* arguments[] = {L"timed"};
        DWORD state = 0;
        const double started = epochMs();
        const double running = StartServiceW(service.get(), 1, arguments) ? whenLeft(service.get(), SERVICE_START_PENDING, state) : -1.0;
        SERVICE_STATUS_PROCESS process{};
        DWORD size = 0;
        QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&process), sizeof process, &size);
        const jl::UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.dwProcessId));
        FILETIME created{}, unused[3];
        GetProcessTimes(handle.get(), &created, &unused[0], &unused[1], &unused[2]);
        for (int i = 0; i < 600 && notedMs(output, "main timed") < 0; ++i) Sleep(10);
        SERVICE_STATUS status{};
        const double stopAt = epochMs();
        const double stopped = running > 0 && state == SERVICE_RUNNING && ControlService(service.get(), SERVICE_CONTROL_STOP, &status)
                                   ? whenLeft(service.get(), status.dwCurrentState, state) : -1.0;
        if (stopped < 0 || state != SERVICE_STOPPED || notedMs(output, "hook") < 0) {
            std::printf("service: run %d failed\n", run);
            continue;
        }
        const double createdMs = static_cast<double>((static_cast<ULONGLONG>(created.dwHighDateTime) << 32 | created.dwLowDateTime) -
                                                     116444736000000000ull) / 10000.0;
        starts.push_back(running - started);
        startShares.push_back(notedMs(output, "vm") - createdMs);
        stops.push_back(stopped - stopAt);
        stopShares.push_back(notedMs(output, "stop timed") - stopAt + stopped - notedMs(output, "hook"));
    }
    (void)jltest::LaunchedProcess::start(app.exePath(), L"--uninstall-service --quiet").waitForExit(60000);
    printMedian("StartService to RUNNING", starts, startShares);
    printMedian("stop control to STOPPED", stops, stopShares);
}

// The milliseconds since process start of the first trace line holding the text; negative when none.
double traceMoment(const std::string& trace, const std::string& text) {
    const size_t found = trace.find(text);
    if (found == std::string::npos) return -1.0;
    const size_t start = trace.rfind(" +", found), end = trace.find(" ms]", start);
    return start == std::string::npos || end > found ? -1.0 : std::stod(trace.substr(start + 2, end - start - 2));
}

// On one launch through the bridge runtime, the launcher's trace times the splash
// window shown and JNI_CreateJavaVM returning, both from process creation.
void timeToSplash(int runs) {
    const std::wstring bridgeHome = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\bridge\\");
    const std::wstring jar = fullPath(jltest::testProgramFolder() + L"\\..\\runtimes\\launch-report\\launch-report.jar");
    const std::wstring picture = fullPath(jltest::testProgramFolder() + L"\\..\\demo\\splash.png");
    if (!jltest::fileExists(bridgeHome + L"bin\\server\\jvm.dll") || !jltest::fileExists(picture)) {
        std::printf("time to splash: the bridge runtime or the demo picture is not built here, nothing measured\n");
        return;
    }
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlsplash");
    CopyFileW(jltest::builtProgram(L"jlauncher.exe").c_str(), (folder + L"\\DemoApp.exe").c_str(), FALSE);
    jltest::writeUtf16File(folder + L"\\DemoApp.ini",
                           L"[Java Runtime Environment]\nMain Class=report.StartStamp\nJRE Path=" + bridgeHome +
                               L"\n[Class Path]\nClass Path=" + jar + L"\n[Application]\nOutput File=" + folder +
                               L"\\stamp.txt\n[Display]\nSplash Screen=" + picture + L"\n");
    std::vector<double> splashMs, createdMs;
    int splashFirst = 0;
    for (int run = 0; run < runs; ++run) {
        DeleteFileW((folder + L"\\trace.log").c_str());
        jltest::LaunchedProcess process =
            jltest::LaunchedProcess::start(folder + L"\\DemoApp.exe", L"", {{L"JLAUNCHER_LOG", folder + L"\\trace.log"}});
        const std::optional<int> code = process.waitForExit(60000);
        Sleep(300);
        const std::string trace = jltest::readBytesFile(folder + L"\\trace.log");
        const double splash = traceMoment(trace, "splash: window shown");
        const double created = traceMoment(trace, "phase: JNI_CreateJavaVM returned");
        if (code != 0 || splash < 0 || created < 0) {
            std::printf("time to splash: run %d failed (exit code %d)\n", run, code.value_or(-999));
            continue;
        }
        splashMs.push_back(splash);
        createdMs.push_back(created);
        if (splash < created) ++splashFirst;
        std::printf("  run %2d: splash shown %7.1f ms, JNI_CreateJavaVM returned %7.1f ms\n", run + 1, splash, created);
    }
    jltest::removeFolderTree(folder);
    if (splashMs.empty()) return;
    std::sort(splashMs.begin(), splashMs.end());
    std::sort(createdMs.begin(), createdMs.end());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   max %7.1f ms\n", "splash window shown", splashMs[splashMs.size() / 2],
                splashMs.front(), splashMs.back());
    std::printf("%-34s median %7.1f ms   min %7.1f ms   max %7.1f ms\n", "JNI_CreateJavaVM returned",
                createdMs[createdMs.size() / 2], createdMs.front(), createdMs.back());
    std::printf("%-34s %d of %zu runs\n", "splash shown first", splashFirst, splashMs.size());
}

// The folder scan in this process, over 50 runtimes unpacked in five of its
// places below a folder of its own, "Minimum Version=11" taking 39 of them.
void timeFolderScan(int runs) {
    const std::wstring root = jltest::makeTemporaryFolder(L"jlscan") + L"\\";
    const wchar_t* const places[] = {L"PF\\Java\\", L"PF\\Eclipse Adoptium\\", L"LA\\Programs\\",
                                     L"UP\\.jdks\\", L"UP\\scoop\\apps\\"};
    for (int i = 0; i < 50; ++i) {
        const std::wstring home = root + places[i % 5] + L"jdk-" + std::to_wstring(i) + (i % 5 == 4 ? L"\\current\\" : L"\\");
        jltest::createRuntimeFiles(home, {L"bin\\server\\jvm.dll"});
        jltest::writeBytesFile(home + L"release", "JAVA_VERSION=\"" + std::to_string(i) + ".0.1\"\nOS_ARCH=\"amd64\"\n");
    }
    jl::RuntimeRequest request;
    request.minimumVersion = jl::Version{{11, 0, 0, 0}};
    std::vector<double> milliseconds;
    size_t taken = 0;
    for (int run = 0; run < runs; ++run) {
        const double start = secondsNow();
        taken = jl::findScannedRuntimeCandidates(request, {root + L"PF", root + L"LA", root + L"UP"}, {}, false).size();
        milliseconds.push_back((secondsNow() - start) * 1000.0);
    }
    jltest::removeFolderTree(root);
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-34s median %7.3f ms   min %7.3f ms   max %7.3f ms   (%zu runs, %zu of 50 taken)\n",
                "folder scan, 50 runtimes", milliseconds[milliseconds.size() / 2], milliseconds.front(),
                milliseconds.back(), milliseconds.size(), taken);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--measure") return measureOnce(false);
    if (argc > 1 && std::wstring(argv[1]) == L"--measure-create") return measureOnce(true);
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    // "shapes" after the count measures only the jar and module modes, for a longer look at them.
    if (argc > 2 && std::wstring(argv[2]) == L"shapes") {
        timeToMainInShapes(runs);
        return 0;
    }
    WIN32_FILE_ATTRIBUTE_DATA exe;
    if (GetFileAttributesExW(jltest::builtProgram(L"jlauncher.exe").c_str(), GetFileExInfoStandard, &exe)) {
        std::printf("%-34s %lu bytes (goal: at most 153,600)\n", "jlauncher.exe", exe.nFileSizeLow);
    }
    if (GetFileAttributesExW(jltest::builtProgram(L"jlauncherc.exe").c_str(), GetFileExInfoStandard, &exe)) {
        std::printf("%-34s %lu bytes\n", "jlauncherc.exe", exe.nFileSizeLow);
    }
    std::printf("Launcher start-up, entry to the end of the VM option list (under this system):\n");
    runScenario({"typical INI (3 class path entries)", L"\\lib\\*.jar;%SystemDrive%\\ext\\x.jar;\\classes", 2}, runs);
    runScenario({"\\lib\\*.jar over 2,000 jars", L"\\lib\\*.jar", 2000}, runs);
    std::printf("Runtime search without a registry key (no process started):\n");
    timeFolderScan(runs);
    std::printf("Entry to the JNI_CreateJavaVM call, jvm.dll loaded:\n");
    runScenario({"typical INI, probe runtime", L"\\lib\\*.jar;%SystemDrive%\\ext\\x.jar;\\classes", 2, true}, runs);
    const double beforeVm =
        runScenario({"typical INI, bridge runtime", L"\\lib\\*.jar;%SystemDrive%\\ext\\x.jar;\\classes", 2, true, true}, runs);
    std::printf("Time from process start to main, real HotSpot on the bridge runtime:\n");
    const double toMain = timeToMain(runs);
    timeToMainInShapes(runs);
    if (beforeVm > 0 && toMain > 0) {
        std::printf("%-34s %.1f%% (goal: at most 2%%)\n", "entry to JNI_CreateJavaVM / to main", beforeVm / toMain * 100.0);
    }
    std::printf("Class-data archive, a program of 2,000 classes, process start to the end of main (bridge runtime):\n");
    timeClassDataArchive(runs);
    std::printf("Single instance: a second start handed to the running program, int secondaryMain's reply:\n");
    timeSecondaryReply(runs);
    std::printf("Time from process start to the splash window shown and to the VM created, same launch (bridge runtime):\n");
    timeToSplash(runs);
    std::printf("A service of the report program under the service manager (bridge runtime):\n");
    timeService(runs);
    return 0;
}
