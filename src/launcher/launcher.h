#pragma once
// The one object that owns a launch. Its state comes in pieces that match the
// steps of a launch; each step is handed the pieces it reads and fills.

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include <jni.h>

#include "jvmhost/jvm_library.h"
#include "jvmopts/class_data_archive.h"
#include "jvmopts/jvm_options.h"
#include "jvmopts/output_capture.h"
#include "jvmopts/output_files.h"
#include "launcher/service_config.h"
#include "launcher/service_host.h"
#include "launcher/single_instance.h"
#include "runtime/runtime_choice.h"
#include "settings/launcher_settings.h"
#include "splash/splash_window.h"

namespace jl {

class Launcher : private JavaMainListener {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The process's launcher, for the JVM hooks that take no context; null
    // outside the entry point's lifetime of the object.
    [[nodiscard]] static Launcher* current();

    // True when run is to follow.
    [[nodiscard]] bool init();
    // The process exit code.
    [[nodiscard]] int run();
    void shutdown();

private:
    void applyWorkingDirectory();
    // "Override WorkingDir", then the runtime: false when there is none.
    [[nodiscard]] bool chooseWorkingFolderAndRuntime();
    [[nodiscard]] int startPairProduct();
    // Everything between the runtime's choice and the VM: Path, splash, output files, jvm.dll, options.
    [[nodiscard]] bool prepareJvm();
    [[nodiscard]] int startJava();
    // The VM's run from its start to its end: the process exit code.
    [[nodiscard]] int runJava();

    // Under the service manager: the dispatcher on this thread, the launch on the service's.
    [[nodiscard]] int runAsService();
    static void WINAPI serviceMain(DWORD argc, wchar_t** argv);
    [[nodiscard]] int launchInService();
    // On a thread of its own: "Stop Method", else System.exit(0).
    void stopJava();

    // What the Java main thread tells the launcher.
    void beforeMain() override;
    void beforeExceptionDialog() override;
    void mainThrew() override;
    std::wstring runtimeSaid() override;

    static void JNICALL vmExitHook(jint status);
    static void JNICALL vmAbortHook();
    // The VM ends before main and before the launcher said why: say it now.
    void explainEarlyEnd();
    // The VM stopped on a fatal error after main was called.
    void explainFatalError() const;

    // A console-subsystem image: no windows but a configured splash, and the java command's exit codes.
    const bool console_;
    ServiceRequest serviceRequest_;
    bool settingsUsable_ = true;
    ServiceHost serviceHost_;
    int serviceExitCode_ = 0;
    // The VM's exit hook has told the service manager; the VM ends the process.
    std::atomic<bool> vmExiting_ = false;
    std::atomic<bool> mainThrew_ = false;
    std::wstring programPath_;
    std::vector<std::wstring> arguments_;
    LauncherSettings settings_;
    ChosenRuntime runtime_;
    bool handOver_ = false;  // start "Pair Product" instead of a JVM in this process
    JvmEntryPoints entryPoints_;
    JvmConfiguration jvm_;
    ClassDataArchive classData_;
    // Where the VM may write its report of a fatal error, and since when a report there is this launch's.
    std::vector<std::wstring> errorReportPaths_;
    FILETIME vmStart_{};
    OutputFiles outputFiles_;
    StartupCapture capture_;
    // Set once main is called or a failure has been shown: a later end of the VM
    // needs no word from the launcher.
    std::atomic<bool> startSettled_ = false;
    JvmSession session_;
    SplashState splash_;
    SingleInstanceState singleInstance_;
};

} // namespace jl
