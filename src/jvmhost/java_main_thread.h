#pragma once
// The thread that creates the VM and runs the main class, and the calls of
// secondaryMain on that class.

#include <windows.h>

#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "jvmopts/output_redirection.h"
#include "settings/launcher_settings.h"

namespace jl {

// Everything the Java main thread reads, and the session it fills.
struct JavaMainArgs {
    const JvmEntryPoints& entryPoints;
    std::vector<std::string>& vmOptions;
    JvmHooks hooks;
    uint64_t stackSize = 0;  // 0: the JVM's default
    const std::wstring& mainClass;  // with "/" separators
    MainKind mainKind = MainKind::className;
    const std::wstring& mainTarget;  // the jar as given to the VM, or "module[/class]"
    const std::vector<std::wstring>& arguments;
    bool failureCheck = false;
    // An exception out of main is also told in a message (a service's goes to the event log).
    bool reportUncaught = false;
    // An IBM runtime may be in use: the thread stays in the VM after main.
    bool stayInVmAfterMain = false;
    HANDLE mainStartedEvent = nullptr;  // set just before main is called; may be null
    const OutputRedirection& javaStreams;               // where System.out and System.err go once the VM exists
    JavaMainListener* listener = nullptr;               // told of main's start and end; may be null
    JvmSession& session;
};

// Runs the Java main thread and waits for it: 0 when main ran and the VM ended
// cleanly, 1 otherwise. The thread leaves the VM on every way out.
[[nodiscard]] int runJavaMainThread(JavaMainArgs& args);
// Finds the main class (or, for a jar or a module, lets the runtime's own
// helper find it), lets the helper choose its main method, keeps the class in
// the session and calls main in its form; on the Java main thread, which stays
// in the VM. False when main was not called.
[[nodiscard]] bool invokeMainClass(JavaMainArgs& args);
// Hears what a later start ends with; the context is the caller's own. A plain
// call and its context, as the one caller needs nothing more.
struct SecondaryReply {
    void (*call)(const void* context, jint result);
    const void* context;
};

// Calls secondaryMain(String[]) of the session's main class with a later
// start's arguments, on the calling thread, which enters the VM for the call
// (and leaves it unless stayAttached). reply hears what that start ends with:
// the int form's result, or 0 before the void form runs. False when there is
// no such method or the call failed.
[[nodiscard]] bool callSecondaryMain(const JvmSession& session, const std::vector<std::wstring>& arguments,
                                     bool stayAttached, SecondaryReply reply);

// Calls the static method (String[] or no arguments) of the named class, or of
// the session's main class when className is empty, on the calling thread,
// which enters the VM for the call and leaves it. False, after a message, when
// there is no such method or it threw.
[[nodiscard]] bool callStaticStopMethod(const JvmSession& session, const std::wstring& className,
                                        const std::wstring& method, const std::vector<std::wstring>& arguments);
// System.exit(status) from the calling thread, which enters the VM for it: the
// shutdown hooks run and the VM's exit hook ends the process.
void exitJavaFromThread(const JvmSession& session, jint status);

} // namespace jl
