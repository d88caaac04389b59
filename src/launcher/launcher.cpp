#include "launcher/launcher.h"

#include "jvmhost/java_main_thread.h"
#include "jvmopts/vm_print_hook.h"
#include "launcher/command_line.h"
#include "launcher/service_commands.h"
#include "support/console_output.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/path_text.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

Launcher* processLauncher = nullptr;

} // namespace

Launcher::Launcher() : console_(isConsoleProgram()) { processLauncher = this; }

Launcher::~Launcher() {
    if (processLauncher == this) processLauncher = nullptr;
}

Launcher* Launcher::current() { return processLauncher; }

bool Launcher::init() {
    arguments_ = argumentsFromCommandLine(GetCommandLineW());
    serviceRequest_ = serviceRequestFrom(arguments_);
    const bool asService = serviceRequest_.command == ServiceCommand::run;
    if (asService) arguments_.erase(arguments_.begin());
    trace<TraceTopic::launch>("{} argument(s) for the Java program", arguments_.size());
    for (size_t i = 0; i < arguments_.size(); ++i) {
        trace<TraceTopic::launch>("argument {} = {}", i + 1, Quoted{arguments_[i]});
    }

    std::optional<std::wstring> program = modulePath();
    if (!program) {
        const DWORD error = GetLastError();
        showErrorMessage(kMsgWindowsException, loadString(kMsgModulePathFailed), static_cast<int32_t>(error));
        return false;
    }
    programPath_ = std::move(*program);
    // A service shows nothing: its messages go to the event log, under the
    // program's name until the settings name the service.
    if (asService) serviceHost_.routeMessagesToEventLog(fileBaseName(programPath_));

    if (!loadLauncherSettings(programPath_, settings_)) {
        // The service manager still hears that the start failed.
        settingsUsable_ = false;
        return asService;
    }
    if (serviceRequest_.command != ServiceCommand::none) return true;
    if (!setupSingleInstance(singleInstance_, {.programPath = programPath_,
                                               .isService = settings_.application.isService,
                                               .enabled = settings_.application.singleInstance,
                                               .arguments = arguments_,
                                               .session = session_,
                                               .stayAttached = settings_.runtime.mayUseIbmRuntime()})) {
        return false;
    }
    if (singleInstance_.enabled && !singleInstance_.isPrimary) {
        trace<TraceTopic::launch>("secondary instance, arguments forwarded to the running one");
        return true;
    }
    if (!chooseWorkingFolderAndRuntime()) return false;
    handOver_ = handsOverToPairProduct(runtime_, settings_.application.pairProduct);
    return true;
}

bool Launcher::chooseWorkingFolderAndRuntime() {
    if (settings_.application.overrideWorkingDir) applyWorkingDirectory();
    return chooseRuntime(settings_, programPath_, runtime_);
}

void Launcher::applyWorkingDirectory() {
    std::wstring folder = folderWithBackslash(programPath_);
    if (folder.size() <= 1) return;
    folder.pop_back();
    const bool changed = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    trace<TraceTopic::launch>("working directory {}{}", changed ? "set to " : "could not be set to ", Quoted{folder});
}

int Launcher::startPairProduct() {
    const std::wstring& pairProduct = settings_.application.pairProduct;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = GetCommandLineW();
    if (!CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        // Ending silently with 0 would report a launch that never happened as a success.
        const DWORD error = GetLastError();
        trace<TraceTopic::launch>("the paired program {} could not be started (error {})", Quoted{pairProduct}, error);
        showErrorMessage(kMsgPairProductStartFailed, pairProduct, static_cast<int32_t>(error));
        return -1;
    }
    trace<TraceTopic::launch>("handed over to {} with the command line {}", Quoted{pairProduct}, Quoted{commandLine});
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    if (!settings_.application.pairReturnCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(processHandle.get(), INFINITE) == WAIT_OBJECT_0) {
        GetExitCodeProcess(processHandle.get(), &exitCode);
    }
    trace<TraceTopic::launch>("the paired program ended with {}", static_cast<int>(exitCode));
    return static_cast<int>(exitCode);
}

int Launcher::run() {
    if (serviceRequest_.command == ServiceCommand::run) return runAsService();
    if (serviceRequest_.command != ServiceCommand::none) {
        return runServiceCommand(serviceRequest_.command, {settings_, programPath_, serviceRequest_.quiet, {}});
    }
    if (handOver_) return startPairProduct();
    if (singleInstance_.enabled && !singleInstance_.isPrimary) return waitForPrimary(singleInstance_);
    if (!prepareJvm()) return -1;
    return runJava();
}

int Launcher::runJava() {
    const int javaResult = startJava();
    settleClassDataArchive(classData_);  // the VM is gone
    // The java command ends with 1 when main threw, after the VM printed the
    // trace; so does a service, whose manager then sees a failure.
    if (javaResult == 0) return (console_ || serviceHost_.active()) && mainThrew_ ? 1 : 0;
    startSettled_ = true;
    splash_.closer.invoke();
    return -1;
}

int Launcher::runAsService() {
    if (settingsUsable_) serviceHost_.routeMessagesToEventLog(settings_.service.name);
    if (!serviceHost_.dispatch(settings_.service, &Launcher::serviceMain)) return -1;
    // After a System.exit the VM's exit hook told the manager, and the VM is
    // ending the process: nothing may be torn down under it meanwhile.
    if (vmExiting_) Sleep(INFINITE);
    return serviceExitCode_;
}

void WINAPI Launcher::serviceMain(DWORD argc, wchar_t** argv) {
    Launcher* launcher = current();
    const auto stopJava = [](void* context) { static_cast<Launcher*>(context)->stopJava(); };
    if (!launcher || !launcher->serviceHost_.connect(stopJava, launcher)) return;
    // The arguments given to this start of the service follow those of its command line.
    for (DWORD i = 1; i < argc; ++i) launcher->arguments_.push_back(argv[i]);
    launcher->serviceExitCode_ = launcher->launchInService();
    launcher->serviceHost_.reportStopped(launcher->serviceExitCode_);
}

int Launcher::launchInService() {
    if (!settingsUsable_) return -1;
    if (!settings_.application.isService) {
        showErrorText(formatMessage(loadString(kMsgNotAService), {programPath_}));
        return ERROR_NOT_SUPPORTED;
    }
    if (!chooseWorkingFolderAndRuntime()) return static_cast<int>(kNoRuntimeServiceCode);
    serviceHost_.advanceStart();
    if (!prepareJvm()) return -1;
    serviceHost_.advanceStart();
    return runJava();
}

void Launcher::stopJava() {
    const std::wstring& method = settings_.service.stopMethod;
    if (!method.empty()) {
        const StopMethodName name = stopMethodFrom(method);
        if (callStaticStopMethod(session_, name.className, name.method, arguments_)) return;
    }
    exitJavaFromThread(session_, 0);
}

bool Launcher::prepareJvm() {
    const JvmSettings& jvmSettings = settings_.jvm;
    prepareLibraryPath(runtime_.jvmLibraryPath, jvmSettings, folderWithBackslash(programPath_), jvm_);
    // "Cmd" adds its arguments after the command line's; its switches count too.
    const std::vector<std::wstring> cmd = cmdArguments(jvmSettings);
    if (!serviceHost_.active() && !hasNoSplashSwitch(arguments_) && !hasNoSplashSwitch(cmd)) {
        startSplash(splash_, settings_.splash, runtime_.jvmLibraryPath);
    }
    // Before jvm.dll and its C library load, which take their copies of the
    // standard handles.
    openOutputFiles(settings_.output, outputFiles_);
    capture_.captureMissingHandles(outputFiles_);
    if (!loadJvmLibrary(runtime_.jvmLibraryPath, entryPoints_)) return false;
    const ApplicationSettings& application = settings_.application;
    if (!application.mainJar.empty() && !locateMainJar(application.mainJar, programPath_, jvm_)) return false;
    (void)assembleJvmOptions(jvmSettings, application, programPath_, jvm_);
    if (jvmSettings.classDataSharing) {
        prepareClassDataArchive(programPath_, settings_.product, runtime_.jvmLibraryPath, jvm_, classData_);
    }
    errorReportPaths_ = vmErrorReportPaths(jvm_.vmOptions);
    GetSystemTimeAsFileTime(&vmStart_);
    for (const std::wstring& argument : cmd) trace<TraceTopic::options>("\"Cmd\" adds argument {}", Quoted{argument});
    arguments_.insert(arguments_.end(), cmd.begin(), cmd.end());
    appendJavaCommandOption(programDescription(application, jvm_), arguments_, jvm_);
    return true;
}

int Launcher::startJava() {
    JavaMainArgs args{
        .entryPoints = entryPoints_,
        .vmOptions = jvm_.vmOptions,
        .hooks = {&Launcher::vmExitHook, &Launcher::vmAbortHook, &printVmMessage},
        .stackSize = jvm_.javaThreadStackSize,
        .mainClass = settings_.application.mainClass,
        .mainKind = settings_.application.mainKind(),
        .mainTarget = settings_.application.mainKind() == MainKind::module ? settings_.application.mainModule
                                                                            : jvm_.mainJar,
        .arguments = arguments_,
        // A console program has no dialog to show: the exception's trace goes to standard error.
        .failureCheck = settings_.application.failureCheck && !console_ && !serviceHost_.active(),
        .reportUncaught = serviceHost_.active(),
        .stayInVmAfterMain = settings_.runtime.mayUseIbmRuntime(),
        .mainStartedEvent = singleInstance_.mainStartedEvent.get(),
        .javaStreams = outputFiles_.javaStreams,
        .listener = this,
        .session = session_,
    };
    return runJavaMainThread(args);
}

void Launcher::beforeMain() {
    startSettled_ = true;
    capture_.stop();
    serviceHost_.reportRunning();
}

void Launcher::beforeExceptionDialog() {
    startSettled_ = true;
    closeSplashWindow(splash_);
}

void Launcher::mainThrew() { mainThrew_ = true; }

std::wstring Launcher::runtimeSaid() {
    startSettled_ = true;
    return capture_.runtimeWords(outputFiles_);
}

void Launcher::shutdown() {
    closeSplashWindow(splash_);
    destroyJvm(session_);
    settleClassDataArchive(classData_);
    closeSingleInstance(singleInstance_);
    splash_.closer.invoke();
    arguments_.clear();
    jvm_.vmOptions.clear();
}

void Launcher::explainEarlyEnd() {
    if (startSettled_.exchange(true)) return;
    trace<TraceTopic::jvm>("the VM ends before main was called");
    showErrorText(withRuntimeWords(loadString(kMsgEndedBeforeMain), capture_.runtimeWords(outputFiles_)));
}

void Launcher::explainFatalError() const {
    // Runs on a thread that may be crashing: a few file look-ups and one unowned box.
    for (const std::wstring& path : errorReportPaths_) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
            fileTimeTicks(data.ftLastWriteTime) < fileTimeTicks(vmStart_)) {
            continue;
        }
        showUnownedErrorText(formatMessage(loadString(kMsgVmCrashedWithLog), {path}));
        return;
    }
    showUnownedErrorText(loadString(kMsgVmCrashed));
}

void JNICALL Launcher::vmExitHook(jint status) {
    trace<TraceTopic::jvm>("the VM exits with status {}", static_cast<int>(status));
    Launcher* launcher = current();
    if (!launcher) return;
    // System.exit(0) from a static initialiser is a program's own clean end.
    if (status != 0) launcher->explainEarlyEnd();
    // The VM has written its class-data archive by now; the process ends right after this hook.
    settleClassDataArchive(launcher->classData_);
    // Else the manager may go on showing a service whose program has ended as running.
    if (launcher->serviceHost_.active()) {
        launcher->vmExiting_ = true;
        launcher->serviceHost_.reportStopped(static_cast<int>(status));
    }
}

void JNICALL Launcher::vmAbortHook() {
    trace<TraceTopic::jvm>("the VM aborts");
    Launcher* launcher = current();
    if (!launcher) return;
    if (launcher->startSettled_.load()) {
        launcher->explainFatalError();
    } else {
        launcher->explainEarlyEnd();
    }
    if (launcher->serviceHost_.active()) {
        launcher->vmExiting_ = true;
        launcher->serviceHost_.reportStopped(1);
    }
}

} // namespace jl
