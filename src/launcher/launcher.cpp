#include "launcher/launcher.h"

#include "jvmhost/java_main_thread.h"
#include "launcher/command_line.h"
#include "runtime/jre_not_found_dialog.h"
#include "runtime/runtime_search.h"
#include "runtime/runtime_selection.h"
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

Launcher::Launcher() { processLauncher = this; }

Launcher::~Launcher() {
    if (processLauncher == this) processLauncher = nullptr;
}

Launcher* Launcher::current() { return processLauncher; }

bool Launcher::init() {
    arguments_ = argumentsFromCommandLine(GetCommandLineW());
    trace("launch: ", arguments_.size(), " argument(s) for the Java program");
    for (size_t i = 0; i < arguments_.size(); ++i) trace("launch: argument ", i + 1, " = ", Quoted{arguments_[i]});

    std::optional<std::wstring> program = modulePath();
    if (!program) {
        const DWORD error = GetLastError();
        showErrorMessage(kMsgWindowsException, loadString(kMsgModulePathFailed), static_cast<int32_t>(error));
        return false;
    }
    programPath_ = std::move(*program);

    if (!loadLauncherSettings(programPath_, settings_, settingsSource_)) return false;
    const VmProviderFlags& provider = settings_.runtime.filter.provider;
    const std::wstring singleInstance = readSetting(*settingsSource_, keys::kSingleInstance);
    if (!setupSingleInstance(singleInstance_, {.programPath = programPath_,
                                               .isService = settings_.application.isService,
                                               .singleInstanceSetting = singleInstance,
                                               .arguments = arguments_,
                                               .session = session_,
                                               .stayAttached = provider.ibmAllowed || provider.ibmFavoured})) {
        return false;
    }
    if (singleInstance_.enabled && !singleInstance_.isPrimary) {
        trace("launch: secondary instance, arguments forwarded to the running one");
        return true;
    }
    if (settings_.application.overrideWorkingDir) applyWorkingDirectory();
    return chooseRuntime();
}

bool Launcher::chooseRuntime() {
    const RuntimeRequest& request = settings_.runtime;
    const JvmType jvmType = request.jvmType;
    if (!request.jrePath.empty()) {
        const std::wstring home = withTrailingBackslash(request.jrePath);
        trace("runtime: trying the configured \"JRE Path\" ", Quoted{home});
        runtime_.jvmLibraryPath = findJvmLibrary(home, jvmType);
        if (!runtime_.jvmLibraryPath.empty()) {
            trace("runtime: chose ", Quoted{runtime_.jvmLibraryPath}, " from \"JRE Path\"");
            checkPairedBitness();
            return true;
        }
        trace("runtime: no jvm.dll for JVM type ", jvmType, " under \"JRE Path\"");
    }

    if (const std::optional<std::wstring> privateHome = findPrivateRuntime(folderWithBackslash(programPath_))) {
        runtime_.jvmLibraryPath = findJvmLibrary(*privateHome, jvmType);
        if (!runtime_.jvmLibraryPath.empty()) {
            trace("runtime: chose the private runtime ", Quoted{runtime_.jvmLibraryPath});
            return true;
        }
        trace("runtime: no jvm.dll for JVM type ", jvmType, " in the private runtime");
    }

    std::optional<InstalledRuntime> installed = searchInstalledRuntimes(request, RegistryView::native);
    if (!installed && settings_.application.pairProduct.empty()) {
        trace("registry: the 32-bit view is searched only with a \"Pair Product\"");
    } else if (!installed) {
        installed = searchInstalledRuntimes(request, RegistryView::wow32);
        if (installed) {
            runtime_.handOver = true;
            trace("registry: a 32-bit runtime was found, so the launch is handed over to \"Pair Product\"");
        }
    }
    if (installed) {
        runtime_.version = installed->version;
        runtime_.jvmLibraryPath = findJvmLibrary(installed->homeFolder, jvmType);
        if (!runtime_.jvmLibraryPath.empty()) {
            trace("runtime: chose the registered runtime ", Quoted{runtime_.jvmLibraryPath});
            return true;
        }
        trace("runtime: no jvm.dll for JVM type ", jvmType, " under the registered home ",
              Quoted{installed->homeFolder});
    }

    if (const std::optional<InstalledRuntime> vendor = searchVendorRuntimes(request)) {
        runtime_.handOver = false;  // the vendor search reads the 64-bit view only
        runtime_.version = vendor->version;
        runtime_.jvmLibraryPath = findJvmLibrary(vendor->homeFolder, jvmType);
        trace("runtime: chose the vendor runtime ", Quoted{runtime_.jvmLibraryPath});
        if (!runtime_.jvmLibraryPath.empty()) return true;
    }

    const unsigned messageId = jvmType == JvmType::server ? kMsgJreNotFoundServer : kMsgJreNotFound;
    const std::wstring message = formatMessage(
        loadString(messageId), {describeVersionRequirement(request.minimumVersion, request.maximumVersion)});
    trace("runtime: no usable runtime found; asking the user");
    JreNotFoundChoice choice;
    const INT_PTR answer = runJreNotFoundDialog(GetActiveWindow(), message, jvmType, choice);
    if (answer == -1) {
        trace("runtime: the JRE Not Found dialog could not be created");
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    if (answer != IDOK) {
        trace("runtime: the user cancelled the JRE Not Found dialog; the launch ends here");
        return false;
    }
    runtime_.jvmLibraryPath = choice.jvmLibraryPath;
    checkPairedBitness();
    rememberJrePath(choice.folder, programPath_, settings_);
    trace("runtime: chose the browsed runtime ", Quoted{runtime_.jvmLibraryPath});
    return true;
}

void Launcher::applyWorkingDirectory() {
    std::wstring folder = folderWithBackslash(programPath_);
    if (folder.size() <= 1) return;
    folder.pop_back();
    const bool changed = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    trace("launch: working directory ", changed ? "set to " : "could not be set to ", Quoted{folder});
}

void Launcher::checkPairedBitness() {
    runtime_.handOver = false;
    const std::wstring& pairProduct = settings_.application.pairProduct;
    if (pairProduct.empty()) return;
    // The PE headers are read here rather than through Dbghelp.dll, which a
    // planted copy beside the program could replace.
    runtime_.handOver = isX86Image(runtime_.jvmLibraryPath);
    trace("launch: ", Quoted{runtime_.jvmLibraryPath},
          runtime_.handOver ? " is a 32-bit image: handing over to " : " is not a 32-bit image, so no hand-over to ",
          Quoted{pairProduct});
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
        trace("launch: the paired program ", Quoted{pairProduct}, " could not be started (error ", error, ")");
        showErrorMessage(kMsgPairProductStartFailed, pairProduct, static_cast<int32_t>(error));
        return -1;
    }
    trace("launch: handed over to ", Quoted{pairProduct}, " with the command line ", Quoted{commandLine});
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    if (!settings_.application.pairReturnCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(processHandle.get(), INFINITE) == WAIT_OBJECT_0) {
        GetExitCodeProcess(processHandle.get(), &exitCode);
    }
    trace("launch: the paired program ended with ", static_cast<int>(exitCode));
    return static_cast<int>(exitCode);
}

int Launcher::run() {
    if (runtime_.handOver) return startPairProduct();
    if (singleInstance_.enabled && !singleInstance_.isPrimary) return waitForPrimary(singleInstance_);

    const ApplicationSettings& application = settings_.application;
    prepareLibraryPath(runtime_.jvmLibraryPath, application.libraryPath, application.systemPath,
                       folderWithBackslash(programPath_), jvm_);
    // "Cmd" adds its arguments after the command line's; its switches count too.
    const std::vector<std::wstring> cmd = cmdArguments(*settingsSource_);
    if (!hasNoSplashSwitch(arguments_) && !hasNoSplashSwitch(cmd)) {
        startSplash(splash_, settingsSource_->file(), runtime_.jvmLibraryPath);
    }
    // Before jvm.dll and its C library load, which take their copies of the
    // standard handles.
    readOutputRedirection(*settingsSource_, jvm_.output);
    streams_.prepare(jvm_.output);
    if (!loadJvmLibrary(runtime_.jvmLibraryPath, entryPoints_)) return -1;
    (void)assembleJvmOptions(*settingsSource_, programPath_, jvm_);
    prepareClassDataArchive(*settingsSource_, programPath_, settings_.product, runtime_.jvmLibraryPath, jvm_,
                            classData_);
    for (const std::wstring& argument : cmd) trace("options: \"Cmd\" adds argument ", Quoted{argument});
    arguments_.insert(arguments_.end(), cmd.begin(), cmd.end());
    const int javaResult = startJava();
    settleClassDataArchive(classData_);  // the VM is gone
    if (javaResult == 0) return 0;
    startSettled_ = true;
    splash_.closer.invoke();
    return -1;
}

int Launcher::startJava() {
    const VmProviderFlags& provider = settings_.runtime.filter.provider;
    JavaMainArgs args{
        .entryPoints = entryPoints_,
        .vmOptions = jvm_.vmOptions,
        .hooks = {&Launcher::vmExitHook, &Launcher::vmAbortHook, &printVmMessage},
        .stackSize = jvm_.javaThreadStackSize,
        .mainClass = settings_.application.mainClass,
        .arguments = arguments_,
        .failureCheck = settings_.application.failureCheck,
        .stayInVmAfterMain = provider.ibmAllowed || provider.ibmFavoured,
        .mainStartedEvent = singleInstance_.mainStartedEvent.get(),
        .afterVmCreated = [this](JNIEnv* env) { redirectOutputStreams(env, jvm_.output); },
        .beforeMain =
            [this] {
                startSettled_ = true;
                streams_.stopCapture();
            },
        .beforeExceptionDialog =
            [this] {
                startSettled_ = true;
                closeSplashWindow(splash_);
            },
        .runtimeSaid =
            [this] {
                startSettled_ = true;
                return streams_.runtimeWords();
            },
        .session = session_,
    };
    return runJavaMainThread(args);
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
    trace("jvm: the VM ends before main was called");
    showErrorText(withRuntimeWords(loadString(kMsgEndedBeforeMain), streams_.runtimeWords()));
}

void JNICALL Launcher::vmExitHook(jint status) {
    trace("jvm: the VM exits with status ", static_cast<int>(status));
    Launcher* launcher = current();
    if (!launcher) return;
    // System.exit(0) from a static initialiser is a program's own clean end.
    if (status != 0) launcher->explainEarlyEnd();
    // The VM has written its class-data archive by now; the process ends right after this hook.
    settleClassDataArchive(launcher->classData_);
    if (launcher->exitObserver_) launcher->exitObserver_->exit(status);
}

void JNICALL Launcher::vmAbortHook() {
    trace("jvm: the VM aborts");
    Launcher* launcher = current();
    if (!launcher) return;
    launcher->explainEarlyEnd();
    if (launcher->exitObserver_) launcher->exitObserver_->abort();
}

} // namespace jl
