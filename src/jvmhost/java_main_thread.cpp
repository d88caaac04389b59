#include "jvmhost/java_main_thread.h"

#include <windows.h>

#include "jvmhost/java_exception_dialog.h"
#include "jvmhost/java_strings.h"
#include "jvmhost/modified_utf8.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/unique_resource.h"

namespace jl {

namespace {

constexpr char kMainSignature[] = "([Ljava/lang/String;)V";

// The runtime's own launcher helper finds the class as the java command would;
// null when the runtime has no such helper or it does not know the class.
jclass mainClassThroughLauncherHelper(const JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    if (!args.entryPoints.findClassFromBootLoader) return nullptr;
    jclass helper = args.entryPoints.findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (!helper) return nullptr;
    jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (!checkAndLoadMain) return nullptr;
    std::wstring dotted = args.mainClass;
    for (wchar_t& c : dotted) {
        if (c == L'/') c = L'.';
    }
    jstring name = newJavaString(dotted, env);
    if (!name) return nullptr;
    return static_cast<jclass>(env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, jint{1}, name));
}

jclass mainClassByName(const JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    jstring name = newJavaString(args.mainClass, env);
    if (!name) {
        showErrorMessage(kMsgMainClassLoadFailed, args.mainClass);
        return nullptr;
    }
    const char* characters = env->GetStringUTFChars(name, nullptr);
    if (!characters) {
        env->ExceptionDescribe();
        return nullptr;
    }
    jclass found = env->FindClass(characters);
    if (!found) {
        env->ExceptionDescribe();
        const std::wstring decoded = decodeModifiedUtf8(characters);
        env->ReleaseStringUTFChars(name, characters);
        trace(L"jvm: the main class ", Quoted{decoded}, L" was not found");
        showErrorMessage(kMsgMainClassNotFound, decoded);
        return nullptr;
    }
    env->ReleaseStringUTFChars(name, characters);
    return found;
}

bool reportMissingMain(JNIEnv* env) {
    if (env->ExceptionOccurred()) {
        env->ExceptionDescribe();
    } else {
        showErrorMessage(kMsgMainMethodMissing);
    }
    return false;
}

DWORD WINAPI javaMainThreadBody(void* parameter) {
    JavaMainArgs& args = *static_cast<JavaMainArgs*>(parameter);
    if (!createJvm(args.entryPoints, args.vmOptions, args.hooks, args.session)) return 1;
    if (args.afterVmCreated) args.afterVmCreated(args.session.jniEnv);
    if (!invokeMainClass(args)) return 1;
    destroyJvm(args.session);
    return 0;
}

} // namespace

int runJavaMainThread(JavaMainArgs& args) {
    if (args.stackSize == 0) args.stackSize = defaultJavaStackSize(args.entryPoints);
    DWORD threadId = 0;
    // The size is the thread's initial commit, as the java command gives its main thread.
    UniqueHandle thread(
        CreateThread(nullptr, static_cast<SIZE_T>(args.stackSize), javaMainThreadBody, &args, 0, &threadId));
    if (!thread) {
        trace(L"jvm: the Java main thread could not be created (error ", GetLastError(),
              L"); running Java on the first thread");
        return static_cast<int>(javaMainThreadBody(&args));
    }
    trace(L"jvm: Java main thread started with a stack of ", args.stackSize, L" bytes");
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 1;
    GetExitCodeThread(thread.get(), &result);
    trace(L"jvm: the Java main thread ended with ", static_cast<int>(result));
    return static_cast<int>(result);
}

bool invokeMainClass(JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    // The runtime's helper ends the process with 1 for a missing class or main,
    // with a line on a standard error that a GUI program's user never sees. Both
    // are looked up first, so such a launch ends with a message instead.
    jclass mainClass = mainClassByName(args);
    if (!mainClass) return false;
    jmethodID main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
    if (!main) {
        // A real VM leaves NoSuchMethodError pending here; describing it alone
        // would end a GUI program without a word, so the message follows.
        if (env->ExceptionOccurred()) env->ExceptionDescribe();
        trace(L"jvm: the main class has no static main(String[])");
        showErrorMessage(kMsgMainMethodMissing);
        return false;
    }
    if (jclass checked = mainClassThroughLauncherHelper(args)) {
        mainClass = checked;
        main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
        if (!main) return reportMissingMain(env);
    } else if (env->ExceptionOccurred()) {
        // A failed helper call leaves its exception pending, and every later JNI
        // step would fail on it.
        env->ExceptionClear();
    }
    jobjectArray arguments = newJavaStringArray(args.arguments, env);
    if (!arguments) return reportMissingMain(env);
    if (args.mainStartedEvent) SetEvent(args.mainStartedEvent);

    trace(L"phase: main called with ", args.arguments.size(), L" argument(s)");
    env->CallStaticVoidMethod(mainClass, main, arguments);
    if (jthrowable exception = env->ExceptionOccurred()) {
        trace(L"jvm: an exception escaped main");
        if (args.beforeExceptionDialog) args.beforeExceptionDialog();
        if (args.failureCheck && showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) {
            (void)callSystemExit(env);
        }
    } else {
        trace(L"jvm: main returned");
    }
    if (args.stayInVmAfterMain) {
        trace(L"jvm: an IBM runtime may be in use, so the Java main thread stays in the VM until the program exits");
        Sleep(INFINITE);
    }
    return args.session.javaVm->DetachCurrentThread() == JNI_OK;
}

} // namespace jl
