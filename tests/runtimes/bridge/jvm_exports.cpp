// The exports of the bridge jvm.dll: HotSpot's libjvm.so loaded with dlopen,
// its invocation functions behind Windows x64 entry points.

#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <vector>

#include "bridge.h"

#ifndef BRIDGE_DEFAULT_LIBJVM
#define BRIDGE_DEFAULT_LIBJVM "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so"
#endif

namespace bridge {
namespace {

struct HotSpot {
    jint (*createJavaVm)(JavaVM**, void**, void*) = nullptr;
    jint (*getDefaultInitArgs)(void*) = nullptr;
    jint (*getCreatedJavaVms)(JavaVM**, jsize, jsize*) = nullptr;
    jclass (*findClassFromBootLoader)(JNIEnv*, const char*) = nullptr;
};

template <typename Function>
void resolve(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// A runtime home whose jvm.dll is this bridge and which carries a Linux runtime
// of its own (a jlink image: lib/server/libjvm.so and lib/modules) runs that
// runtime's HotSpot, so its own modules are the ones Java sees. Empty otherwise.
std::string homeHotSpot() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&homeHotSpot), &self)) {
        return {};
    }
    WCHAR file[4096];
    const DWORD length = GetModuleFileNameW(self, file, 4096);
    if (length == 0 || length >= 4096) return {};
    std::u16string home(utf16(file), length);
    for (int i = 0; i < 3 && !home.empty(); ++i) {  // home\bin\server\jvm.dll
        const size_t separator = home.find_last_of(u"\\/");
        home.resize(separator == std::u16string::npos ? 0 : separator);
    }
    if (home.empty()) return {};
    const std::string unixHome = unixPath(home);
    const std::string libjvm = unixHome + "/lib/server/libjvm.so";
    if (access(libjvm.c_str(), R_OK) != 0 || access((unixHome + "/lib/modules").c_str(), R_OK) != 0) return {};
    return libjvm;
}

// HotSpot from JL_BRIDGE_LIBJVM, else the runtime home's own, else the JDK the bridge was built against.
[[gnu::noinline]] const HotSpot* loadHotSpot() {
    static const HotSpot loaded = [] {
        HotSpot hotSpot;
        WCHAR configured[4096];
        const DWORD length = GetEnvironmentVariableW(win(u"JL_BRIDGE_LIBJVM"), configured, 4096);
        const std::string home = length > 0 && length < 4096 ? std::string() : homeHotSpot();
        const std::string path = length > 0 && length < 4096 ? toUtf8(utf16(configured))
                                 : home.empty()              ? std::string(BRIDGE_DEFAULT_LIBJVM)
                                                             : home;
        if (!home.empty()) fprintf(stderr, "bridge jvm.dll: running the runtime home's own HotSpot %s\n", home.c_str());
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!library) {
            fprintf(stderr, "bridge jvm.dll: cannot load %s: %s\n", path.c_str(), dlerror());
            return hotSpot;
        }
        resolve(library, hotSpot.createJavaVm, "JNI_CreateJavaVM");
        resolve(library, hotSpot.getDefaultInitArgs, "JNI_GetDefaultJavaVMInitArgs");
        resolve(library, hotSpot.getCreatedJavaVms, "JNI_GetCreatedJavaVMs");
        resolve(library, hotSpot.findClassFromBootLoader, "JVM_FindClassFromBootLoader");
        return hotSpot;
    }();
    return loaded.createJavaVm && loaded.getDefaultInitArgs && loaded.getCreatedJavaVms ? &loaded : nullptr;
}

// --- exit and abort hooks -------------------------------------------------
// HotSpot calls its hooks on its own threads, which Wine knows nothing about:
// no PE code may run there. The hook hands the ending to a Wine thread that the
// bridge started, which calls the launcher's hook and ends the process the
// Windows way; the VM thread waits for that end.

using LauncherExitHook = void(BRIDGE_MSABI*)(jint);
using LauncherAbortHook = void(BRIDGE_MSABI*)();

struct Ending {
    jint status;
    bool aborted;
};

int relayPipe[2] = {-1, -1};
LauncherExitHook launcherExit = nullptr;
LauncherAbortHook launcherAbort = nullptr;

[[noreturn]] void handOverEnding(Ending ending) {
    if (write(relayPipe[1], &ending, sizeof ending) != sizeof ending) _exit(ending.status);
    for (;;) pause();
}

void vmExitHook(jint status) { handOverEnding({status, false}); }
void vmAbortHook() { handOverEnding({1, true}); }

[[gnu::noinline]] bool awaitEnding(Ending& ending) {
    size_t received = 0;
    while (received < sizeof ending) {
        const ssize_t count = read(relayPipe[0], reinterpret_cast<char*>(&ending) + received, sizeof ending - received);
        if (count > 0) {
            received += count;
        } else if (count == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

DWORD WINAPI endingRelay(void*) {
    Ending ending{};
    if (!awaitEnding(ending)) return 0;
    flushStandardStreams();
    if (ending.aborted && launcherAbort) launcherAbort();
    if (!ending.aborted && launcherExit) launcherExit(ending.status);
    ExitProcess(ending.status);
}

[[gnu::noinline]] bool startEndingRelay() {
    if (relayPipe[0] >= 0) return true;
    if (pipe(relayPipe) != 0) return false;
    HANDLE thread = CreateThread(nullptr, 0, endingRelay, nullptr, 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

// --- options ----------------------------------------------------------------

// Option strings come in the Windows ANSI code page; HotSpot reads UTF-8
// (the tests run with LANG=C.UTF-8). Paths in them become Unix paths.
std::string unixOption(const char* option) {
    const std::u16string text = toUtf16(option, CP_ACP);
    const std::u16string_view view = text;
    for (const std::u16string_view prefix :
         {u"-Djava.class.path=", u"-Djava.library.path=", u"-Xbootclasspath/a:", u"--module-path=",
          u"--upgrade-module-path="}) {
        if (view.starts_with(prefix)) return toUtf8(prefix) + unixPathList(view.substr(prefix.size()));
    }
    // --patch-module=<module>=<paths>
    if (view.starts_with(u"--patch-module=") && view.find(u'=', 15) != std::u16string_view::npos) {
        const size_t equals = view.find(u'=', 15);
        return toUtf8(view.substr(0, equals + 1)) + unixPathList(view.substr(equals + 1));
    }
    for (const std::u16string_view prefix :
         {u"-XX:ErrorFile=", u"-XX:SharedArchiveFile=", u"-XX:ArchiveClassesAtExit="}) {
        if (view.starts_with(prefix)) return toUtf8(prefix) + unixPath(view.substr(prefix.size()));
    }
    return toUtf8(text);
}

// --- signals ----------------------------------------------------------------

void adaptSignalHandlers(const struct sigaction& wineQuit) {
    // HotSpot installs these without SA_ONSTACK: on a Wine thread its handler
    // then runs on the faulting stack, and every Windows exception that it passes
    // on to Wine's handler kills the process.
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) {
        struct sigaction action;
        if (sigaction(signal, nullptr, &action) == 0 && !(action.sa_flags & SA_ONSTACK)) {
            action.sa_flags |= SA_ONSTACK;
            sigaction(signal, &action, nullptr);
        }
    }
    // Wine ends threads with SIGQUIT; HotSpot would take it for thread dumps.
    sigaction(SIGQUIT, &wineQuit, nullptr);
}

[[gnu::noinline]] jint createJavaVm(JavaVM** vm, void** env, void* rawArgs) {
    const HotSpot* hotSpot = loadHotSpot();
    if (!hotSpot || !startEndingRelay()) return JNI_ERR;
    const auto* args = static_cast<const JavaVMInitArgs*>(rawArgs);
    std::vector<std::string> texts;
    texts.reserve(args->nOptions);
    std::vector<JavaVMOption> options;
    for (int i = 0; i < args->nOptions; ++i) {
        const JavaVMOption& option = args->options[i];
        const std::string_view name = option.optionString;
        if (name == "exit") {
            launcherExit = reinterpret_cast<LauncherExitHook>(option.extraInfo);
        } else if (name == "abort") {
            launcherAbort = reinterpret_cast<LauncherAbortHook>(option.extraInfo);
        } else if (name != "vfprintf") {  // a PE vfprintf cannot take a System V va_list
            texts.push_back(unixOption(option.optionString));
            options.push_back({texts.back().data(), option.extraInfo});
        }
    }
    // The bridge's own hooks always go in, so the process never ends on a VM thread.
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&vmExitHook)});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&vmAbortHook)});
    JavaVMInitArgs unixArgs{args->version, static_cast<jint>(options.size()), options.data(), args->ignoreUnrecognized};

    copyEnvironmentToUnix();
    connectStandardStreams();
    struct sigaction wineQuit;
    sigaction(SIGQUIT, nullptr, &wineQuit);
    JavaVM* realVm = nullptr;
    JNIEnv* realEnv = nullptr;
    const jint result = hotSpot->createJavaVm(&realVm, reinterpret_cast<void**>(&realEnv), &unixArgs);
    adaptSignalHandlers(wineQuit);
    if (result != JNI_OK) {
        flushStandardStreams();
        return result;
    }
    prepareEnvTables(realEnv);
    *vm = wrapVm(realVm);
    *env = wrapEnv(realEnv);
    return JNI_OK;
}

[[gnu::noinline]] jint getDefaultInitArgs(void* args) {
    const HotSpot* hotSpot = loadHotSpot();
    return hotSpot ? hotSpot->getDefaultInitArgs(args) : JNI_ERR;
}

[[gnu::noinline]] jint getCreatedJavaVms(JavaVM** vms, jsize capacity, jsize* count) {
    const HotSpot* hotSpot = loadHotSpot();
    if (!hotSpot) return JNI_ERR;
    JavaVM* real = nullptr;
    jsize found = 0;
    const jint result = hotSpot->getCreatedJavaVms(&real, 1, &found);
    if (result != JNI_OK) return result;
    if (count) *count = found > 0 && wrappedVm() ? 1 : 0;
    if (found > 0 && capacity > 0 && vms) vms[0] = wrappedVm();
    return JNI_OK;
}

[[gnu::noinline]] jclass findClassFromBootLoader(JNIEnv* env, const char* name) {
    const HotSpot* hotSpot = loadHotSpot();
    return hotSpot && hotSpot->findClassFromBootLoader ? hotSpot->findClassFromBootLoader(realEnv(env), name) : nullptr;
}

} // namespace
} // namespace bridge

extern "C" {

jint WINAPI bridge_CreateJavaVM(JavaVM** vm, void** env, void* args) { return bridge::createJavaVm(vm, env, args); }
jint WINAPI bridge_GetDefaultJavaVMInitArgs(void* args) { return bridge::getDefaultInitArgs(args); }
jint WINAPI bridge_GetCreatedJavaVMs(JavaVM** vms, jsize capacity, jsize* count) {
    return bridge::getCreatedJavaVms(vms, capacity, count);
}
jclass WINAPI bridge_FindClassFromBootLoader(JNIEnv* env, const char* name) {
    return bridge::findClassFromBootLoader(env, name);
}

}  // extern "C"
