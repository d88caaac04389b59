#include "jvmhost/java_main_thread.h"

#include <windows.h>

#include "jvmhost/java_exception_dialog.h"
#include "jvmhost/jvm_library.h"
#include "jvmhost/modified_utf8.h"
#include "launcher/launcher.h"
#include "splash/splash_window.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr char kMainSignature[] = "([Ljava/lang/String;)V";

// The runtime's own launcher helper finds the class as the java command would;
// null when the runtime has no such helper or it does not know the class.
jclass mainClassThroughLauncherHelper(Launcher& launcher) {
    JNIEnv* env = launcher.jniEnv;
    if (!launcher.findClassFromBootLoader) return nullptr;
    jclass helper = launcher.findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (!helper) return nullptr;
    jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (!checkAndLoadMain) return nullptr;
    std::wstring dotted = launcher.mainClass;
    for (wchar_t& c : dotted) {
        if (c == L'/') c = L'.';
    }
    jstring name = newJavaString(dotted, env);
    if (!name) return nullptr;
    return static_cast<jclass>(env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, jint{1}, name));
}

jclass mainClassByName(Launcher& launcher) {
    JNIEnv* env = launcher.jniEnv;
    jstring name = newJavaString(launcher.mainClass, env);
    if (!name) {
        showErrorMessage(kMsgMainClassLoadFailed, launcher.mainClass);
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
    Launcher& launcher = *static_cast<Launcher*>(parameter);
    if (createJvm(launcher) && invokeMainClass(launcher)) {
        destroyJvm(launcher);
        return 0;
    }
    return 1;
}

} // namespace

int runJavaMainThread(Launcher& launcher) {
    if (launcher.javaThreadStackSize == 0) launcher.javaThreadStackSize = defaultJavaStackSize(launcher);
    DWORD threadId = 0;
    // The size is the thread's initial commit, as the java command gives its main thread.
    UniqueHandle thread(CreateThread(nullptr, static_cast<SIZE_T>(launcher.javaThreadStackSize), javaMainThreadBody,
                                     &launcher, 0, &threadId));
    if (!thread) {
        trace(L"jvm: the Java main thread could not be created (error ", GetLastError(),
              L"); running Java on the first thread");
        return static_cast<int>(javaMainThreadBody(&launcher));
    }
    trace(L"jvm: Java main thread started with a stack of ", launcher.javaThreadStackSize, L" bytes");
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 1;
    GetExitCodeThread(thread.get(), &result);
    trace(L"jvm: the Java main thread ended with ", static_cast<int>(result));
    return static_cast<int>(result);
}

bool invokeMainClass(Launcher& launcher) {
    JNIEnv* env = launcher.jniEnv;
    // The runtime's helper ends the process with 1 for a missing class or main,
    // with a line on a standard error that a GUI program's user never sees. Both
    // are looked up first, so such a launch ends with a message instead.
    jclass mainClass = mainClassByName(launcher);
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
    if (jclass checked = mainClassThroughLauncherHelper(launcher)) {
        mainClass = checked;
        main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
        if (!main) return reportMissingMain(env);
    } else if (env->ExceptionOccurred()) {
        // A failed helper call leaves its exception pending, and every later JNI
        // step would fail on it.
        env->ExceptionClear();
    }
    jobjectArray arguments = newJavaStringArray(launcher.arguments, env);
    if (!arguments) return reportMissingMain(env);
    if (launcher.mainStartedEvent) SetEvent(launcher.mainStartedEvent.get());

    trace(L"phase: main called with ", launcher.arguments.size(), L" argument(s)");
    env->CallStaticVoidMethod(mainClass, main, arguments);
    if (jthrowable exception = env->ExceptionOccurred()) {
        trace(L"jvm: an exception escaped main");
        closeSplashWindow(launcher);
        if (launcher.failureCheck && showJavaExceptionDialog(env, exception) == ExceptionChoice::stop) {
            (void)callSystemExit(env);
        }
    } else {
        trace(L"jvm: main returned");
    }
    if (launcher.ibmAllowed || launcher.ibmFavoured) {
        trace(L"jvm: an IBM runtime may be in use, so the Java main thread stays in the VM until the program exits");
        Sleep(INFINITE);
    }
    return launcher.javaVm->DetachCurrentThread() == JNI_OK;
}

jstring newJavaString(const std::wstring& text, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    if (!constructor) return nullptr;
    const jsize length = static_cast<jsize>(text.size());
    jcharArray characters = env->NewCharArray(length);
    if (!characters) return nullptr;
    env->SetCharArrayRegion(characters, 0, length, reinterpret_cast<const jchar*>(text.data()));
    jstring result = nullptr;
    if (!env->ExceptionOccurred()) result = static_cast<jstring>(env->NewObject(stringClass, constructor, characters));
    env->DeleteLocalRef(characters);
    return result;
}

jobjectArray newJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) return nullptr;
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    if (!array) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = newJavaString(texts[i], env);
        if (!element) return nullptr;
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    return array;
}

bool callSystemExit(JNIEnv* env) {
    jclass systemClass = env->FindClass("java/lang/System");
    if (!systemClass) return false;
    jmethodID exitMethod = env->GetStaticMethodID(systemClass, "exit", "(I)V");
    if (!exitMethod) return false;
    env->CallStaticVoidMethod(systemClass, exitMethod, jint{-1});
    if (env->ExceptionOccurred()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

} // namespace jl
