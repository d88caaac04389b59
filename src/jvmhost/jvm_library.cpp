#include "jvmhost/jvm_library.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "jdk11_init_args.h"

#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/module.h"
#include "support/trace.h"

namespace jl {

namespace {

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

bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints) {
    trace<TraceTopic::phase>("loading {}", Quoted{path});
    // Never freed: the VM lives until the process ends.
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, 0);
    if (!library) {
        const DWORD error = GetLastError();
        trace<TraceTopic::jvm>("LoadLibrary failed with error {}", error);
        showErrorMessage(kMsgJvmLibraryLoadFailed, path, static_cast<int32_t>(error));
        return false;
    }
    entryPoints.createJavaVm = resolve<CreateJavaVmFunction>(library, "JNI_CreateJavaVM");
    if (entryPoints.createJavaVm) {
        entryPoints.getDefaultInitArgs = resolve<GetDefaultInitArgsFunction>(library, "JNI_GetDefaultJavaVMInitArgs");
    }
    if (!entryPoints.createJavaVm || !entryPoints.getDefaultInitArgs) {
        const DWORD error = GetLastError();
        trace<TraceTopic::jvm>("{} is missing from the library",
                               !entryPoints.createJavaVm ? "JNI_CreateJavaVM" : "JNI_GetDefaultJavaVMInitArgs");
        showErrorMessage(kMsgWindowsException, loadString(kMsgCreateJavaVmMissing), static_cast<int32_t>(error));
        return false;
    }
    entryPoints.findClassFromBootLoader =
        resolve<FindClassFromBootLoaderFunction>(library, "JVM_FindClassFromBootLoader");
    trace<TraceTopic::phase>("jvm.dll loaded{}",
                             entryPoints.findClassFromBootLoader ? "" : " (without JVM_FindClassFromBootLoader)");
    return true;
}

bool createJvm(const JvmEntryPoints& entryPoints, std::vector<std::string>& vmOptions, const JvmHooks& hooks,
               JvmSession& session, JavaMainListener* listener) {
    // The list's length is known before it is filled: a plain array needs no
    // growing code of its own in the program.
    const std::unique_ptr<JavaVMOption[]> options(new JavaVMOption[vmOptions.size() + 3]);
    size_t count = 0;
    if (hooks.print) options[count++] = {const_cast<char*>("vfprintf"), reinterpret_cast<void*>(hooks.print)};
    for (std::string& option : vmOptions) options[count++] = {option.data(), nullptr};
    options[count++] = {const_cast<char*>("abort"), reinterpret_cast<void*>(hooks.abort)};
    options[count++] = {const_cast<char*>("exit"), reinterpret_cast<void*>(hooks.exit)};
    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_2;
    arguments.nOptions = static_cast<jint>(count);
    arguments.options = options.get();
    arguments.ignoreUnrecognized = JNI_FALSE;

    trace<TraceTopic::phase>("JNI_CreateJavaVM called with {} options", count);
    const jint result =
        entryPoints.createJavaVm(&session.javaVm, reinterpret_cast<void**>(&session.jniEnv), &arguments);
    trace<TraceTopic::phase>("JNI_CreateJavaVM returned {}", result);
    if (result != JNI_OK) {
        session = JvmSession{};
        const unsigned reason = reasonFor(result);
        const std::wstring message = formatMessage(
            loadString(kMsgJniException), {loadString(kMsgCreateJavaVmFailed), reason ? loadString(reason) : L""});
        showErrorText(withRuntimeWords(message, listener ? listener->runtimeSaid() : std::wstring()));
        return false;
    }
    return true;
}

void destroyJvm(JvmSession& session) {
    if (!session.javaVm) return;
    trace<TraceTopic::jvm>("destroying the VM (waits for its non-daemon threads)");
    session.javaVm->DestroyJavaVM();
    session = JvmSession{};
}

uint64_t defaultJavaStackSize(const JvmEntryPoints& entryPoints) {
    JDK1_1InitArgs record{};
    record.version = JNI_VERSION_1_1;
    (void)entryPoints.getDefaultInitArgs(&record);
    return record.javaStackSize > 0 ? static_cast<uint64_t>(record.javaStackSize) : 0;
}

} // namespace jl
