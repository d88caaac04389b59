#include "jvmhost/jvm_library.h"

#include <windows.h>

#include <vector>

#include "jdk11_init_args.h"

#include "jvmopts/output_redirection.h"
#include "launcher/launcher.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/trace.h"

namespace jl {

namespace {

template <typename Function>
Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

unsigned reasonFor(jint result) {
    switch (result) {
        case JNI_ERR: return kMsgJniErrorUnknown;
        case JNI_EDETACHED: return kMsgJniErrorDetached;
        case JNI_EVERSION: return kMsgJniErrorVersion;
        case JNI_ENOMEM: return kMsgJniErrorNoMemory;
        case JNI_EEXIST: return kMsgJniErrorExists;
        case JNI_EINVAL: return kMsgJniErrorInvalid;
        default: return 0;
    }
}

} // namespace

bool loadJvmLibrary(Launcher& launcher, const std::wstring& path) {
    trace(L"phase: loading ", Quoted{path});
    // Never freed: the VM lives until the process ends.
    HMODULE library = LoadLibraryW(path.c_str());
    if (!library) {
        const std::wstring format = loadString(kMsgJvmLibraryLoadFailed);
        const DWORD error = GetLastError();
        trace(L"jvm: LoadLibrary failed with error ", error);
        showErrorText(formatMessage(format, {path, static_cast<int32_t>(error)}));
        return false;
    }
    launcher.createJavaVm = resolve<CreateJavaVmFunction>(library, "JNI_CreateJavaVM");
    if (launcher.createJavaVm) {
        launcher.getDefaultInitArgs = resolve<GetDefaultInitArgsFunction>(library, "JNI_GetDefaultJavaVMInitArgs");
    }
    if (!launcher.createJavaVm || !launcher.getDefaultInitArgs) {
        const DWORD error = GetLastError();
        trace(L"jvm: ", !launcher.createJavaVm ? L"JNI_CreateJavaVM" : L"JNI_GetDefaultJavaVMInitArgs",
              L" is missing from the library");
        showErrorMessage(kMsgWindowsException, loadString(kMsgCreateJavaVmMissing), static_cast<int32_t>(error));
        return false;
    }
    launcher.findClassFromBootLoader = resolve<FindClassFromBootLoaderFunction>(library, "JVM_FindClassFromBootLoader");
    trace(L"phase: jvm.dll loaded", launcher.findClassFromBootLoader ? L"" : L" (without JVM_FindClassFromBootLoader)");
    return true;
}

bool createJvm(Launcher& launcher) {
    std::vector<JavaVMOption> options;
    options.reserve(launcher.vmOptions.size() + 2);
    for (std::string& option : launcher.vmOptions) options.push_back({option.data(), nullptr});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&vmAbortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&vmExitHook)});
    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_2;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = JNI_FALSE;

    trace(L"phase: JNI_CreateJavaVM called with ", options.size(), L" options");
    const jint result = launcher.createJavaVm(&launcher.javaVm, reinterpret_cast<void**>(&launcher.jniEnv), &arguments);
    trace(L"phase: JNI_CreateJavaVM returned ", result);
    if (result != JNI_OK) {
        launcher.javaVm = nullptr;
        const unsigned reason = reasonFor(result);
        showErrorMessage(kMsgJniException, loadString(kMsgCreateJavaVmFailed), reason ? loadString(reason) : L"");
        return false;
    }
    redirectOutputStreams(launcher);
    return true;
}

void destroyJvm(Launcher& launcher) {
    if (!launcher.javaVm) return;
    trace(L"jvm: destroying the VM (waits for its non-daemon threads)");
    launcher.javaVm->DestroyJavaVM();
    launcher.javaVm = nullptr;
}

uint64_t defaultJavaStackSize(const Launcher& launcher) {
    JDK1_1InitArgs record{};
    record.version = JNI_VERSION_1_1;
    (void)launcher.getDefaultInitArgs(&record);
    return record.javaStackSize > 0 ? static_cast<uint64_t>(record.javaStackSize) : 0;
}

void JNICALL vmExitHook(jint status) {
    trace(L"jvm: the VM exits with status ", static_cast<int>(status));
    if (Launcher* launcher = Launcher::current(); launcher && launcher->exitObserver) launcher->exitObserver->exit(status);
}

void JNICALL vmAbortHook() {
    trace(L"jvm: the VM aborts");
    if (Launcher* launcher = Launcher::current(); launcher && launcher->exitObserver) launcher->exitObserver->abort();
}

} // namespace jl
