#include "jvmhost/java_main_thread.h"

#include <windows.h>

#include <optional>

#include "jvmhost/java_exception_dialog.h"
#include "jvmhost/java_strings.h"
#include "jvmhost/modified_utf8.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/unique_resource.h"

namespace jl {

namespace {

constexpr char kArgumentsMain[] = "([Ljava/lang/String;)V";
constexpr char kNoArgumentMain[] = "()V";

bool hasLauncherHelper(const JavaMainArgs& args) { return args.entryPoints.findClassFromBootLoader != nullptr; }

// The runtime's own launcher helper finds the class as the java command would,
// and may answer with a class of its own (for a JavaFX application). Null when
// the runtime has no such helper or it does not know the class; a refusal ends
// the VM with System.exit(1), which the exit hook explains.
jclass mainClassThroughLauncherHelper(const JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    if (!hasLauncherHelper(args)) return nullptr;
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

bool isInstanceOf(JNIEnv* env, jobject object, const char* className) {
    jclass type = env->FindClass(className);
    if (!type) {
        env->ExceptionClear();
        return false;
    }
    return env->IsInstanceOf(object, type) == JNI_TRUE;
}

std::wstring throwableMessage(JNIEnv* env, jthrowable exception) {
    jclass throwable = env->FindClass("java/lang/Throwable");
    jmethodID getMessage = throwable ? env->GetMethodID(throwable, "getMessage", "()Ljava/lang/String;") : nullptr;
    auto message = getMessage ? static_cast<jstring>(env->CallObjectMethod(exception, getMessage)) : nullptr;
    std::wstring text;
    if (const char* characters = message ? env->GetStringUTFChars(message, nullptr) : nullptr) {
        text = decodeModifiedUtf8(characters);
        env->ReleaseStringUTFChars(message, characters);
    }
    env->ExceptionClear();
    return text;
}

// An exception raised while the main class was made ready, shown as the
// exception it is: in the Java Exception dialog with "Failure Check", else in a
// message.
void reportStartException(const JavaMainArgs& args, jthrowable exception) {
    JNIEnv* env = args.session.jniEnv;
    if (args.beforeExceptionDialog) args.beforeExceptionDialog();
    if (args.failureCheck) {
        if (showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) (void)callSystemExit(env);
        return;
    }
    const std::wstring text = describeThrowable(env, exception);
    env->ExceptionClear();
    trace("jvm: the main class could not be made ready");
    showErrorMessage(kMsgMainClassInitFailed, args.mainClass, text);
}

enum class ClassLookup { found, reported, leftToHelper };

// Loading the class by name also runs its static initialiser.
ClassLookup mainClassByName(const JavaMainArgs& args, jclass& found) {
    JNIEnv* env = args.session.jniEnv;
    jstring name = newJavaString(args.mainClass, env);
    if (!name) {
        showErrorMessage(kMsgMainClassLoadFailed, args.mainClass);
        return ClassLookup::reported;
    }
    const char* characters = env->GetStringUTFChars(name, nullptr);
    if (!characters) {
        env->ExceptionDescribe();
        return ClassLookup::reported;
    }
    const std::wstring decoded = decodeModifiedUtf8(characters);
    found = env->FindClass(characters);
    env->ReleaseStringUTFChars(name, characters);
    if (found) return ClassLookup::found;
    jthrowable exception = env->ExceptionOccurred();
    env->ExceptionClear();
    if (exception && isInstanceOf(env, exception, "java/lang/ExceptionInInitializerError")) {
        env->Throw(exception);
        reportStartException(args, exception);
        return ClassLookup::reported;
    }
    // Anything but the class itself missing (a class it needs, a class file too
    // new for this runtime) is the helper's to explain, in the runtime's words.
    const bool classItselfMissing = !exception || !isInstanceOf(env, exception, "java/lang/LinkageError") ||
                                    (isInstanceOf(env, exception, "java/lang/NoClassDefFoundError") &&
                                     throwableMessage(env, exception) == decoded);
    if (!classItselfMissing && hasLauncherHelper(args)) return ClassLookup::leftToHelper;
    if (exception) {
        env->Throw(exception);
        env->ExceptionDescribe();
    }
    trace("jvm: the main class ", Quoted{decoded}, " was not found");
    showErrorMessage(kMsgMainClassNotFound, decoded);
    return ClassLookup::reported;
}

// Since Java 25 main may be an instance method and may take no arguments.
bool runtimeRunsInstanceMain(JNIEnv* env) {
    jclass runtime = env->FindClass("java/lang/Runtime");
    jmethodID version = runtime ? env->GetStaticMethodID(runtime, "version", "()Ljava/lang/Runtime$Version;") : nullptr;
    jobject value = version ? env->CallStaticObjectMethod(runtime, version) : nullptr;
    jclass versionClass = value ? env->GetObjectClass(value) : nullptr;
    jmethodID feature = versionClass ? env->GetMethodID(versionClass, "feature", "()I") : nullptr;
    const jint number = feature ? env->CallIntMethod(value, feature) : 0;
    env->ExceptionClear();
    return number >= 25;
}

struct MainMethod {
    jmethodID id = nullptr;
    bool isStatic = true;
    bool takesArguments = true;
};

// Null when the class has no such main; a failed initialisation stays pending.
jmethodID findMain(JNIEnv* env, jclass type, bool isStatic, const char* signature) {
    jmethodID id = isStatic ? env->GetStaticMethodID(type, "main", signature) : env->GetMethodID(type, "main", signature);
    if (!id) {
        jthrowable exception = env->ExceptionOccurred();
        if (exception && isInstanceOf(env, exception, "java/lang/NoSuchMethodError")) {
            env->ExceptionClear();
        } else if (exception) {
            env->ExceptionClear();
            env->Throw(exception);
        }
    }
    return id;
}

// The main method the runtime's own launcher would call: main(String[]) before
// main(), a static one before an instance one.
MainMethod chooseMain(JNIEnv* env, jclass type, bool instanceMainAllowed) {
    const MainMethod candidates[] = {{nullptr, true, true}, {nullptr, false, true}, {nullptr, true, false},
                                     {nullptr, false, false}};
    for (MainMethod candidate : candidates) {
        if (!candidate.isStatic || !candidate.takesArguments) {
            if (!instanceMainAllowed) break;
        }
        candidate.id = findMain(env, type, candidate.isStatic, candidate.takesArguments ? kArgumentsMain : kNoArgumentMain);
        if (candidate.id || env->ExceptionCheck()) return candidate;
    }
    return {};
}

bool isJavaFxApplication(JNIEnv* env, jclass type) {
    jclass application = env->FindClass("javafx/application/Application");
    if (!application) {
        env->ExceptionClear();
        return false;
    }
    return env->IsAssignableFrom(type, application) == JNI_TRUE;
}

DWORD WINAPI javaMainThreadBody(void* parameter) {
    JavaMainArgs& args = *static_cast<JavaMainArgs*>(parameter);
    if (!createJvm(args.entryPoints, args.vmOptions, args.hooks, args.session, args.runtimeSaid)) return 1;
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
        trace("jvm: the Java main thread could not be created (error ", GetLastError(),
              "); running Java on the first thread");
        return static_cast<int>(javaMainThreadBody(&args));
    }
    trace("jvm: Java main thread started with a stack of ", args.stackSize, " bytes");
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 1;
    GetExitCodeThread(thread.get(), &result);
    trace("jvm: the Java main thread ended with ", static_cast<int>(result));
    return static_cast<int>(result);
}

bool invokeMainClass(JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    // A class or main that is not there at all is reported here, as before; the
    // runtime's helper would end the process with 1 after a line on a standard
    // error that nobody may see.
    jclass mainClass = nullptr;
    const ClassLookup lookup = mainClassByName(args, mainClass);
    if (lookup == ClassLookup::reported) return false;
    std::optional<bool> instanceMainAllowed;
    const auto runsInstanceMain = [&] {
        if (!instanceMainAllowed) instanceMainAllowed = runtimeRunsInstanceMain(env);
        return *instanceMainAllowed;
    };
    if (mainClass) {
        // A JavaFX application needs no main of its own, and a main that is not
        // static is left to the helper to refuse in its own words.
        const bool mayRun = findMain(env, mainClass, true, kArgumentsMain) ||
                            (!env->ExceptionCheck() && findMain(env, mainClass, false, kArgumentsMain)) ||
                            (!env->ExceptionCheck() && runsInstanceMain() && chooseMain(env, mainClass, true).id) ||
                            (!env->ExceptionCheck() && isJavaFxApplication(env, mainClass));
        if (jthrowable exception = env->ExceptionOccurred()) {
            reportStartException(args, exception);
            return false;
        }
        if (!mayRun) {
            trace("jvm: the main class has no main method");
            showErrorMessage(kMsgMainMethodMissing);
            return false;
        }
    }
    if (jclass checked = mainClassThroughLauncherHelper(args)) {
        mainClass = checked;
    } else if (env->ExceptionOccurred()) {
        // A failed helper call leaves its exception pending, and every later JNI
        // step would fail on it.
        env->ExceptionClear();
    }
    if (!mainClass) {
        showErrorMessage(kMsgMainClassNotFound, args.mainClass);
        return false;
    }
    MainMethod main{findMain(env, mainClass, true, kArgumentsMain)};
    if (!main.id && !env->ExceptionCheck()) main = chooseMain(env, mainClass, runsInstanceMain());
    if (jthrowable exception = env->ExceptionOccurred()) {
        reportStartException(args, exception);
        return false;
    }
    jmethodID constructor = main.isStatic ? nullptr : env->GetMethodID(mainClass, "<init>", "()V");
    if (!main.id || (!main.isStatic && !constructor)) {
        env->ExceptionClear();
        trace("jvm: the main class has no main method this runtime runs");
        showErrorMessage(kMsgMainMethodMissing);
        return false;
    }
    jobjectArray arguments = newJavaStringArray(args.arguments, env);
    if (!arguments) {
        if (env->ExceptionOccurred()) {
            env->ExceptionDescribe();
        } else {
            showErrorMessage(kMsgMainMethodMissing);
        }
        return false;
    }
    if (args.mainStartedEvent) SetEvent(args.mainStartedEvent);
    if (args.beforeMain) args.beforeMain();

    trace("phase: main called with ", args.arguments.size(), " argument(s)");
    if (main.isStatic && main.takesArguments) {
        env->CallStaticVoidMethod(mainClass, main.id, arguments);
    } else if (main.isStatic) {
        env->CallStaticVoidMethod(mainClass, main.id);
    } else if (jobject instance = env->NewObject(mainClass, constructor)) {
        if (main.takesArguments) {
            env->CallVoidMethod(instance, main.id, arguments);
        } else {
            env->CallVoidMethod(instance, main.id);
        }
    }  // a constructor that threw is reported like main throwing
    if (jthrowable exception = env->ExceptionOccurred()) {
        trace("jvm: an exception escaped main");
        if (args.beforeExceptionDialog) args.beforeExceptionDialog();
        if (args.failureCheck && showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) {
            (void)callSystemExit(env);
        }
    } else {
        trace("jvm: main returned");
    }
    if (args.stayInVmAfterMain) {
        trace("jvm: an IBM runtime may be in use, so the Java main thread stays in the VM until the program exits");
        Sleep(INFINITE);
    }
    return args.session.javaVm->DetachCurrentThread() == JNI_OK;
}

} // namespace jl
