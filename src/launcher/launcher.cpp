#include "launcher/launcher.h"

#include "jvmhost/java_main_thread.h"
#include "jvmhost/jvm_library.h"
#include "jvmopts/jvm_options.h"
#include "launcher/command_line.h"
#include "launcher/single_instance.h"
#include "runtime/jre_not_found_dialog.h"
#include "runtime/runtime_search.h"
#include "runtime/runtime_selection.h"
#include "settings/launcher_settings.h"
#include "settings/settings_source.h"
#include "splash/splash_window.h"
#include "support/message_ids.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

Launcher* processLauncher = nullptr;

const std::wstring kJavaRuntimeEnvironment = L"Java Runtime Environment";

} // namespace

Launcher::Launcher() { processLauncher = this; }

Launcher::~Launcher() {
    if (processLauncher == this) processLauncher = nullptr;
}

Launcher* Launcher::current() { return processLauncher; }

bool Launcher::init() {
    arguments = argumentsFromCommandLine(GetCommandLineW());
    trace(L"launch: ", arguments.size(), L" argument(s) for the Java program");
    for (size_t i = 0; i < arguments.size(); ++i) trace(L"launch: argument ", i + 1, L" = ", Quoted{arguments[i]});

    if (!loadLauncherSettings(*this)) return false;
    if (!setupSingleInstance(*this)) return false;
    if (singleInstance && !isPrimary) {
        trace(L"launch: secondary instance, arguments forwarded to the running one");
        return true;
    }
    if (overrideWorkingDir) applyWorkingDirectory();
    return chooseRuntime();
}

bool Launcher::chooseRuntime() {
    if (!jrePath.empty()) {
        const std::wstring home = withTrailingBackslash(jrePath);
        trace(L"runtime: trying the configured \"JRE Path\" ", Quoted{home});
        jvmLibraryPath = findJvmLibrary(home, jvmType);
        if (!jvmLibraryPath.empty()) {
            trace(L"runtime: chose ", Quoted{jvmLibraryPath}, L" from \"JRE Path\"");
            checkPairedBitness();
            return true;
        }
        trace(L"runtime: no jvm.dll for JVM type ", jvmType, L" under \"JRE Path\"");
    }

    if (const std::optional<std::wstring> privateHome = findPrivateRuntime()) {
        jvmLibraryPath = findJvmLibrary(*privateHome, jvmType);
        if (!jvmLibraryPath.empty()) {
            trace(L"runtime: chose the private runtime ", Quoted{jvmLibraryPath});
            return true;
        }
        trace(L"runtime: no jvm.dll for JVM type ", jvmType, L" in the private runtime");
    }

    std::wstring home;
    bool registered = searchInstalledRuntimes(*this, home, foundRuntimeVersion, 0);
    if (!registered) registered = searchInstalledRuntimes(*this, home, foundRuntimeVersion, 1);
    if (registered) {
        jvmLibraryPath = findJvmLibrary(home, jvmType);
        if (!jvmLibraryPath.empty()) {
            trace(L"runtime: chose the registered runtime ", Quoted{jvmLibraryPath});
            return true;
        }
        trace(L"runtime: no jvm.dll for JVM type ", jvmType, L" under the registered home ", Quoted{home});
    }

    const unsigned messageId = jvmType == JvmType::server ? kMsgJreNotFoundServer : kMsgJreNotFound;
    const std::wstring message =
        formatMessage(loadString(messageId), {describeVersionRequirement(minimumVersion, maximumVersion)});
    trace(L"runtime: no usable runtime found; asking the user");
    JreNotFoundChoice choice;
    const INT_PTR answer = runJreNotFoundDialog(GetActiveWindow(), message, jvmType, choice);
    if (answer == -1) {
        trace(L"runtime: the JRE Not Found dialog could not be created");
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    if (answer != IDOK) {
        trace(L"runtime: the user cancelled the JRE Not Found dialog; the launch ends here");
        return false;
    }
    jvmLibraryPath = choice.jvmLibraryPath;
    checkPairedBitness();
    rememberJrePath(choice.folder);
    trace(L"runtime: chose the browsed runtime ", Quoted{jvmLibraryPath});
    return true;
}

void Launcher::applyWorkingDirectory() {
    const std::optional<std::wstring> modulePathText = modulePath();
    if (!modulePathText) return;
    const std::wstring& program = *modulePathText;
    const size_t slash = program.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return;
    const std::wstring folder = program.substr(0, slash);
    const bool changed = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    trace(L"launch: working directory ", changed ? L"set to " : L"could not be set to ", Quoted{folder});
}

void Launcher::rememberJrePath(const std::wstring& folder) {
    std::wstring besideProgram;
    if (!iniPathBesideProgram(besideProgram)) return;
    const auto write = [&](const std::wstring& path) {
        IniFileSource target(path);
        const bool written = target.writeString(kJavaRuntimeEnvironment, L"JRE Path", folder);
        trace(L"runtime: remembering \"JRE Path\" in ", Quoted{path}, written ? L"" : L" failed");
    };
    if (isService) {
        write(besideProgram);
        std::wstring paired;
        if (!pairProduct.empty() && pairedIniPath(*this, paired)) write(paired);
        return;
    }
    write(userIniPath(*this, true));
    if (!pairProduct.empty()) write(pairedUserIniPath(*this));
}

void Launcher::checkPairedBitness() {
    handOver = false;
    if (pairProduct.empty()) return;
    // The PE headers are read here rather than through Dbghelp.dll, which a
    // planted copy beside the program could replace.
    handOver = isX86Image(jvmLibraryPath);
    trace(L"launch: ", Quoted{jvmLibraryPath}, handOver ? L" is a 32-bit image: handing over to " : L" is not a 32-bit image, so no hand-over to ",
          Quoted{pairProduct});
}

int Launcher::startPairProduct() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = GetCommandLineW();
    if (!CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        // Ending silently with 0 would report a launch that never happened as a success.
        const DWORD error = GetLastError();
        trace(L"launch: the paired program ", Quoted{pairProduct}, L" could not be started (error ", error, L")");
        showErrorMessage(kMsgPairProductStartFailed, pairProduct, static_cast<int32_t>(error));
        return -1;
    }
    trace(L"launch: handed over to ", Quoted{pairProduct}, L" with the command line ", Quoted{commandLine});
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!pairReturnCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(processHandle.get(), INFINITE) == WAIT_OBJECT_0) {
        GetExitCodeProcess(processHandle.get(), &exitCode);
    }
    trace(L"launch: the paired program ended with ", static_cast<int>(exitCode));
    return static_cast<int>(exitCode);
}

int Launcher::run() {
    if (handOver) return startPairProduct();
    if (singleInstance && !isPrimary) return waitForPrimary(*this);

    prepareLibraryPath(*this);
    if (!hasNoSplashSwitch(arguments) && !startSplash(*this)) return 0;
    if (!loadJvmLibrary(*this, jvmLibraryPath)) return -1;
    (void)prepareJvmOptions(*this);
    if (runJavaMainThread(*this) == 0) return 0;
    splashCloser.invoke();
    return -1;
}

void Launcher::shutdown() {
    closeSplashWindow(*this);
    if (javaVm) destroyJvm(*this);
    if (singleInstance) {
        // The single-instance listener comes with its own subsystem.
        sharedBlock.reset();
        sharedMapping.reset();
    }
    mainStartedEvent.reset();
    splashCloser.invoke();
    arguments.clear();
    vmOptions.clear();
}

} // namespace jl
