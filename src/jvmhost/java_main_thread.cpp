#include "jvmhost/java_main_thread.h"

#include <windows.h>

#include <iterator>
#include <optional>

#include "jvmhost/java_exception_dialog.h"
#include "jvmhost/java_output_streams.h"
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
constexpr char kIntSecondaryMain[] = "([Ljava/lang/String;)I";

// How a main method is called.
struct MainForm {
    bool isStatic = true;
    bool takesArguments = true;
};

// The forms in the order a runtime prefers them: main(String[]) before main().
// A class has one main of each parameter list at most, static or not.
constexpr MainForm kMainForms[] = {{true, true}, {false, true}, {true, false}, {false, false}};
// Before the helper said how to call main, it ran main(String[]) only.
constexpr size_t kArgumentsForms = 2;

// The runtime's own launcher helper, as far as this runtime has one. Since
// Java 21 it notes how the main method it chose is called in two static fields.
struct LauncherHelper {
    jclass type = nullptr;
    jmethodID checkAndLoadMain = nullptr;
    jfieldID isStaticMain = nullptr;
    jfieldID noArgMain = nullptr;
    jmethodID getApplicationClass = nullptr;  // the application's class where the helper answered with its own

    [[nodiscard]] bool present() const { return checkAndLoadMain != nullptr; }
    [[nodiscard]] bool saysForm() const { return isStaticMain && noArgMain; }
};

// The main method to call, on the class that has it.
struct MainMethod {
    jclass type = nullptr;
    jmethodID id = nullptr;
    jmethodID constructor = nullptr;  // for an instance main
    MainForm form;
};

// Null when the runtime has no such field, with nothing left pending.
jfieldID staticBooleanField(JNIEnv* env, jclass type, const char* name) {
    jfieldID field = env->GetStaticFieldID(type, name, "Z");
    if (!field) env->ExceptionClear();
    return field;
}

LauncherHelper findLauncherHelper(const JavaMainArgs& args) {
    LauncherHelper helper;
    if (!args.entryPoints.findClassFromBootLoader) return helper;
    JNIEnv* env = args.session.jniEnv;
    helper.type = args.entryPoints.findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (!helper.type) return {};
    helper.checkAndLoadMain =
        env->GetStaticMethodID(helper.type, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (!helper.checkAndLoadMain) {
        // Every later JNI step would fail on the error the look-up left.
        env->ExceptionClear();
        return {};
    }
    helper.isStaticMain = staticBooleanField(env, helper.type, "isStaticMain");
    helper.noArgMain = staticBooleanField(env, helper.type, "noArgMain");
    helper.getApplicationClass = env->GetStaticMethodID(helper.type, "getApplicationClass", "()Ljava/lang/Class;");
    if (!helper.getApplicationClass) env->ExceptionClear();
    return helper;
}

// The helper finds the class as the java command would, checks its main, and
// may answer with a class of its own (for a JavaFX application). Null when it
// gave no class; a refusal ends the VM with System.exit(1), which the exit hook
// explains.
// What the helper is asked for, as the java command asks it: a class name with
// dots (mode 1), a jar (mode 2), or "module[/class]" (mode 3).
std::wstring helperTarget(const JavaMainArgs& args) {
    if (args.mainKind != MainKind::className) return args.mainTarget;
    std::wstring dotted = args.mainClass;
    for (wchar_t& c : dotted) {
        if (c == L'/') c = L'.';
    }
    return dotted;
}

jint helperMode(MainKind kind) {
    switch (kind) {
        case MainKind::jar: return 2;
        case MainKind::module: return 3;
        case MainKind::className: break;
    }
    return 1;
}

jclass mainClassThroughLauncherHelper(const JavaMainArgs& args, const LauncherHelper& helper) {
    if (!helper.present()) return nullptr;
    JNIEnv* env = args.session.jniEnv;
    jstring name = newJavaString(helperTarget(args), env);
    auto checked = name ? static_cast<jclass>(env->CallStaticObjectMethod(helper.type, helper.checkAndLoadMain,
                                                                          JNI_TRUE, helperMode(args.mainKind), name))
                        : nullptr;
    // A failed call leaves its exception pending, and every later JNI step would fail on it.
    if (!checked) env->ExceptionClear();
    return checked;
}

// How the helper's chosen main is called, read from its fields after it chose.
MainForm formChosenByHelper(JNIEnv* env, const LauncherHelper& helper) {
    if (!helper.saysForm()) return {};
    const bool isStatic = env->GetStaticBooleanField(helper.type, helper.isStaticMain) == JNI_TRUE;
    const bool withoutArguments = env->GetStaticBooleanField(helper.type, helper.noArgMain) == JNI_TRUE;
    return {isStatic, !withoutArguments};
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
    if (args.listener) args.listener->beforeExceptionDialog();
    if (args.failureCheck) {
        if (showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) (void)callSystemExit(env);
        return;
    }
    const std::wstring text = describeThrowable(env, exception);
    env->ExceptionClear();
    trace<TraceTopic::jvm>("the main class could not be made ready");
    showErrorMessage(kMsgMainClassInitFailed, args.mainClass, text);
}

enum class ClassLookup { found, reported, leftToHelper };

// Loading the class by name also runs its static initialiser.
ClassLookup mainClassByName(const JavaMainArgs& args, const LauncherHelper& helper, jclass& found) {
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
    if (!classItselfMissing && helper.present()) return ClassLookup::leftToHelper;
    if (exception) {
        env->Throw(exception);
        env->ExceptionDescribe();
    }
    trace<TraceTopic::jvm>("the main class {} was not found", Quoted{decoded});
    showErrorMessage(kMsgMainClassNotFound, decoded);
    return ClassLookup::reported;
}

// Null when the class has no such main; a failed initialisation stays pending.
jmethodID findMain(JNIEnv* env, jclass type, MainForm form) {
    const char* signature = form.takesArguments ? kArgumentsMain : kNoArgumentMain;
    jmethodID id =
        form.isStatic ? env->GetStaticMethodID(type, "main", signature) : env->GetMethodID(type, "main", signature);
    if (!id) {
        jthrowable exception = env->ExceptionOccurred();
        env->ExceptionClear();
        if (exception && !isInstanceOf(env, exception, "java/lang/NoSuchMethodError")) env->Throw(exception);
    }
    return id;
}

bool isJavaFxApplication(JNIEnv* env, jclass type) {
    jclass application = env->FindClass("javafx/application/Application");
    if (!application) {
        env->ExceptionClear();
        return false;
    }
    return env->IsAssignableFrom(type, application) == JNI_TRUE;
}

// Any main the runtime might run: every form where the helper says which it
// chose, else main(String[]), static or not (the helper refuses an instance one
// in its own words); a JavaFX application needs none. An exception raised on
// the way stays pending.
bool hasMainToRun(JNIEnv* env, jclass type, const LauncherHelper& helper) {
    const size_t forms = helper.saysForm() ? std::size(kMainForms) : kArgumentsForms;
    for (size_t i = 0; i < forms; ++i) {
        if (findMain(env, type, kMainForms[i])) return true;
        if (env->ExceptionCheck()) return false;
    }
    return isJavaFxApplication(env, type);
}

// A class without any main is reported here, in the launcher's words: the
// helper would end the process with 1 after a line on a standard error that
// nobody may see.
bool checkMainPresent(const JavaMainArgs& args, jclass type, const LauncherHelper& helper) {
    JNIEnv* env = args.session.jniEnv;
    const bool present = hasMainToRun(env, type, helper);
    if (jthrowable exception = env->ExceptionOccurred()) {
        reportStartException(args, exception);
        return false;
    }
    if (!present) {
        trace<TraceTopic::jvm>("the main class has no main method");
        showErrorMessage(kMsgMainMethodMissing);
    }
    return present;
}

// The main the helper chose, called as it says; without a helper, or one that
// does not say, the static main(String[]) of the class it gave or of the class
// found by name.
std::optional<MainMethod> chooseMain(const JavaMainArgs& args, const LauncherHelper& helper, jclass named) {
    JNIEnv* env = args.session.jniEnv;
    MainMethod main;
    if (jclass checked = mainClassThroughLauncherHelper(args, helper)) {
        main.type = checked;
        main.form = formChosenByHelper(env, helper);
    } else {
        main.type = named;
    }
    if (!main.type) {
        showErrorMessage(kMsgMainClassNotFound, helperTarget(args));
        return std::nullopt;
    }
    main.id = findMain(env, main.type, main.form);
    if (jthrowable exception = env->ExceptionOccurred()) {
        reportStartException(args, exception);
        return std::nullopt;
    }
    if (!main.form.isStatic) main.constructor = env->GetMethodID(main.type, "<init>", "()V");
    if (!main.id || (!main.form.isStatic && !main.constructor)) {
        env->ExceptionClear();
        trace<TraceTopic::jvm>("the main class has no main method this runtime runs");
        showErrorMessage(kMsgMainMethodMissing);
        return std::nullopt;
    }
    return main;
}

// The class the launch loaded as the application's: the one found by name, else
// the one the helper noted (a jar's or a module's main class, even where it
// answered with a class of its own), else the one it answered with.
jclass applicationClass(const JavaMainArgs& args, const LauncherHelper& helper, jclass named, jclass answered) {
    if (named) return named;
    JNIEnv* env = args.session.jniEnv;
    jclass noted = helper.getApplicationClass
                       ? static_cast<jclass>(env->CallStaticObjectMethod(helper.type, helper.getApplicationClass))
                       : nullptr;
    if (!noted) env->ExceptionClear();
    return noted ? noted : answered;
}

void callStaticMainWithArguments(JNIEnv* env, const MainMethod& main, jobjectArray arguments) {
    env->CallStaticVoidMethod(main.type, main.id, arguments);
}

void callStaticMainWithoutArguments(JNIEnv* env, const MainMethod& main) {
    env->CallStaticVoidMethod(main.type, main.id);
}

// A constructor that throws is reported like main throwing.
void callInstanceMainWithArguments(JNIEnv* env, const MainMethod& main, jobjectArray arguments) {
    if (jobject instance = env->NewObject(main.type, main.constructor)) env->CallVoidMethod(instance, main.id, arguments);
}

void callInstanceMainWithoutArguments(JNIEnv* env, const MainMethod& main) {
    if (jobject instance = env->NewObject(main.type, main.constructor)) env->CallVoidMethod(instance, main.id);
}

// Calls main in its form; false when its arguments could not be made.
bool callMain(const JavaMainArgs& args, const MainMethod& main) {
    JNIEnv* env = args.session.jniEnv;
    jobjectArray arguments = nullptr;
    if (main.form.takesArguments && !(arguments = newJavaStringArray(args.arguments, env))) {
        if (env->ExceptionOccurred()) {
            env->ExceptionDescribe();
        } else {
            showErrorMessage(kMsgMainMethodMissing);
        }
        return false;
    }
    if (args.mainStartedEvent) SetEvent(args.mainStartedEvent);
    if (args.listener) args.listener->beforeMain();

    trace<TraceTopic::phase>("main called with {} argument(s)", args.arguments.size());
    if (main.form.isStatic && main.form.takesArguments) {
        callStaticMainWithArguments(env, main, arguments);
    } else if (main.form.isStatic) {
        callStaticMainWithoutArguments(env, main);
    } else if (main.form.takesArguments) {
        callInstanceMainWithArguments(env, main, arguments);
    } else {
        callInstanceMainWithoutArguments(env, main);
    }
    return true;
}

// An exception out of main goes to the Java Exception dialog with "Failure
// Check". Ignored, it stays pending, so the VM reports it as uncaught when the
// thread leaves.
void settleEndOfMain(const JavaMainArgs& args) {
    JNIEnv* env = args.session.jniEnv;
    if (jthrowable exception = env->ExceptionOccurred()) {
        trace<TraceTopic::jvm>("an exception escaped main");
        if (args.listener) args.listener->mainThrew();
        if (args.reportUncaught) showErrorMessage(kMsgMainThrew, describeThrowable(env, exception));
        if (args.listener) args.listener->beforeExceptionDialog();
        if (args.failureCheck && showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) {
            (void)callSystemExit(env);
        }
    } else {
        trace<TraceTopic::jvm>("main returned");
    }
    if (args.stayInVmAfterMain) {
        trace<TraceTopic::jvm>(
            "an IBM runtime may be in use, so the Java main thread stays in the VM until the program exits");
        Sleep(INFINITE);
    }
}

DWORD WINAPI javaMainThreadBody(void* parameter) {
    JavaMainArgs& args = *static_cast<JavaMainArgs*>(parameter);
    if (!createJvm(args.entryPoints, args.vmOptions, args.hooks, args.session, args.listener)) return 1;
    redirectOutputStreams(args.session.jniEnv, args.javaStreams);
    const bool mainCalled = invokeMainClass(args);
    // Whatever happened, the thread leaves the VM before it ends: DestroyJavaVM
    // waits for every attached thread, one that ended attached among them.
    const bool left = args.session.javaVm->DetachCurrentThread() == JNI_OK;
    if (!mainCalled || !left) return 1;
    destroyJvm(args.session);
    return 0;
}

bool callSecondaryMainOn(JNIEnv* env, jclass mainClass, const std::vector<std::wstring>& arguments,
                         SecondaryReply reply) {
    const auto describeFailure = [env] {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    };
    bool intForm = false;
    jmethodID method = env->GetStaticMethodID(mainClass, "secondaryMain", kArgumentsMain);
    if (!method) {
        env->ExceptionClear();
        intForm = true;
        method = env->GetStaticMethodID(mainClass, "secondaryMain", kIntSecondaryMain);
    }
    if (!method) {
        trace<TraceTopic::jvm>("the main class has no secondaryMain; the secondary waits for the program to end");
        return describeFailure();
    }
    jobjectArray javaArguments = newJavaStringArray(arguments, env);
    if (!javaArguments) return describeFailure();
    if (intForm) {
        reply.call(reply.context, env->CallStaticIntMethod(mainClass, method, javaArguments));
    } else {
        // The secondary need not wait for a method that may run as long as it likes.
        reply.call(reply.context, 0);
        env->CallStaticVoidMethod(mainClass, method, javaArguments);
    }
    return env->ExceptionCheck() ? describeFailure() : true;
}

} // namespace

int runJavaMainThread(JavaMainArgs& args) {
    if (args.stackSize == 0) args.stackSize = defaultJavaStackSize(args.entryPoints);
    DWORD threadId = 0;
    // The size is the thread's initial commit, as the java command gives its main thread.
    UniqueHandle thread(
        CreateThread(nullptr, static_cast<SIZE_T>(args.stackSize), javaMainThreadBody, &args, 0, &threadId));
    if (!thread) {
        trace<TraceTopic::jvm>("the Java main thread could not be created (error {}); running Java on the first thread",
                               GetLastError());
        return static_cast<int>(javaMainThreadBody(&args));
    }
    trace<TraceTopic::jvm>("Java main thread started with a stack of {} bytes", args.stackSize);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 1;
    GetExitCodeThread(thread.get(), &result);
    trace<TraceTopic::jvm>("the Java main thread ended with {}", static_cast<int>(result));
    return static_cast<int>(result);
}

bool invokeMainClass(JavaMainArgs& args) {
    const LauncherHelper helper = findLauncherHelper(args);
    // A class or main that is not there at all is reported here, in the
    // launcher's words, before the helper could end the process. A jar's or a
    // module's class is the helper's to find, and to explain when it cannot.
    jclass named = nullptr;
    if (args.mainKind == MainKind::className) {
        if (mainClassByName(args, helper, named) == ClassLookup::reported) return false;
        if (named && !checkMainPresent(args, named, helper)) return false;
    }
    const std::optional<MainMethod> main = chooseMain(args, helper, named);
    if (!main) return false;
    // Later starts of a single-instance program reach secondaryMain on this very
    // class, the application's own even where the helper answered with one of
    // its own; the reference lives as long as the VM.
    args.session.mainClass = static_cast<jclass>(args.session.jniEnv->NewGlobalRef(applicationClass(args, helper, named, main->type)));
    if (!callMain(args, *main)) return false;
    settleEndOfMain(args);
    return true;
}

bool callSecondaryMain(const JvmSession& session, const std::vector<std::wstring>& arguments, bool stayAttached,
                       SecondaryReply reply) {
    JavaVM* vm = session.javaVm;
    JNIEnv* env = nullptr;
    if (!vm || !session.mainClass) return false;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return false;
    const bool called = callSecondaryMainOn(env, session.mainClass, arguments, reply);
    if (!stayAttached) vm->DetachCurrentThread();
    return called;
}

namespace {

// A name as the JNI look-ups take it; empty when it cannot be made.
std::string modifiedUtf8(JNIEnv* env, const std::wstring& text) {
    jstring java = newJavaString(text, env);
    const char* characters = java ? env->GetStringUTFChars(java, nullptr) : nullptr;
    if (!characters) return {};
    std::string bytes(characters);
    env->ReleaseStringUTFChars(java, characters);
    return bytes;
}

// The stop method in its String[] form, else in its form without arguments.
bool callStopMethodOn(JNIEnv* env, jclass type, const std::wstring& method, const std::vector<std::wstring>& arguments) {
    const std::string name = modifiedUtf8(env, method);
    if (name.empty()) return false;
    if (jmethodID withArguments = env->GetStaticMethodID(type, name.c_str(), kArgumentsMain)) {
        jobjectArray javaArguments = newJavaStringArray(arguments, env);
        if (!javaArguments) return false;
        env->CallStaticVoidMethod(type, withArguments, javaArguments);
        return true;
    }
    env->ExceptionClear();
    jmethodID plain = env->GetStaticMethodID(type, name.c_str(), kNoArgumentMain);
    if (!plain) return false;
    env->CallStaticVoidMethod(type, plain);
    return true;
}

} // namespace

bool callStaticStopMethod(const JvmSession& session, const std::wstring& className, const std::wstring& method,
                          const std::vector<std::wstring>& arguments) {
    JavaVM* vm = session.javaVm;
    JNIEnv* env = nullptr;
    if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return false;
    trace<TraceTopic::jvm>("calling the stop method {} of {}", Quoted{method},
                           className.empty() ? L"the main class" : className.c_str());
    // A thread attached from outside Java finds classes through the system class loader.
    jclass type = className.empty() ? session.mainClass : env->FindClass(modifiedUtf8(env, className).c_str());
    const bool called = type && callStopMethodOn(env, type, method, arguments);
    jthrowable exception = env->ExceptionOccurred();
    if (called && exception) {
        showErrorMessage(kMsgStopMethodThrew, describeThrowable(env, exception));
    } else if (!called) {
        showErrorMessage(kMsgStopMethodMissing, className.empty() ? method : className + L"." + method);
    }
    env->ExceptionClear();
    trace<TraceTopic::jvm>("the stop method {}", called && !exception ? "returned" : "failed");
    vm->DetachCurrentThread();
    return called && !exception;
}

void exitJavaFromThread(const JvmSession& session, jint status) {
    JavaVM* vm = session.javaVm;
    JNIEnv* env = nullptr;
    if (!vm || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
    trace<TraceTopic::jvm>("calling System.exit({})", static_cast<int>(status));
    (void)callSystemExit(env, status);
    vm->DetachCurrentThread();
}

} // namespace jl
