// The bridge jvm.dll loaded into the test process itself: one VM per process
// (HotSpot is created once), reached from Windows threads that attach to it.

#include <gtest/gtest.h>

#include <jni.h>

#include <atomic>
#include <climits>
#include <cstdarg>
#include <functional>

#include "bridge_test_support.h"
#include "rig/app_folder.h"
#include "support/win_text.h"

namespace jltest::bridge {
namespace {

// Runs body on a new Windows thread and gives its result.
DWORD onWindowsThread(const std::function<DWORD()>& body) {
    HANDLE thread = CreateThread(
        nullptr, 0, [](void* body) { return (*static_cast<const std::function<DWORD()>*>(body))(); },
        const_cast<std::function<DWORD()>*>(&body), 0, nullptr);
    if (!thread || WaitForSingleObject(thread, 60000) != WAIT_OBJECT_0) return 0xDEAD;
    DWORD result = 0xDEAD;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    return result;
}

class InProcessVm {
public:
    static InProcessVm& get() {
        static InProcessVm vm;
        return vm;
    }

    HMODULE library = nullptr;
    JavaVM* vm = nullptr;
    jint created = JNI_ERR;

    // Runs work on a new Windows thread attached to the VM under the given name.
    void onAttachedThread(const std::function<void(JNIEnv*)>& work, const char* name = "bridge-test") {
        ASSERT_EQ(created, JNI_OK) << "no bridge VM: wine must start with WINEDLLPATH naming runtimes/bridge/winelib";
        EXPECT_EQ(onWindowsThread([&]() -> DWORD {
                      JNIEnv* env = nullptr;
                      JavaVMAttachArgs args{JNI_VERSION_1_2, const_cast<char*>(name), nullptr};
                      if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), &args) != JNI_OK) return 1;
                      work(env);
                      return vm->DetachCurrentThread() == JNI_OK ? 0 : 2;
                  }),
                  0u);
    }

private:
    // Created on a thread of its own, like the launcher's Java main thread, which
    // then leaves the VM; the process's first thread never enters it.
    InProcessVm() {
        library = LoadLibraryW(jvmPath().c_str());
        if (!library) return;
        onWindowsThread([this]() -> DWORD {
            const std::string classPath = jl::toAnsiString(L"-Djava.class.path=" + programsJar());
            JavaVMOption options[] = {{const_cast<char*>(classPath.c_str()), nullptr}};
            JavaVMInitArgs args{JNI_VERSION_1_2, 1, options, JNI_FALSE};
            JNIEnv* env = nullptr;
            created = resolve<jint(JNICALL*)(JavaVM**, void**, void*)>(library, "JNI_CreateJavaVM")(
                &vm, reinterpret_cast<void**>(&env), &args);
            return created == JNI_OK ? static_cast<DWORD>(vm->DetachCurrentThread()) : 0;
        });
    }
};

std::string utf8Of(JNIEnv* env, jobject string) {
    if (!string) return "(null)";
    const char* chars = env->GetStringUTFChars(static_cast<jstring>(string), nullptr);
    std::string text = chars;
    env->ReleaseStringUTFChars(static_cast<jstring>(string), chars);
    return text;
}

// env->functions->Name(env, ...) reaches a "..." entry; the C++ members of
// JNIEnv, like this helper, hand a va_list to the V entry.
jobject callStaticObject(JNIEnv* env, jclass type, jmethodID method, ...) {
    va_list list;
    va_start(list, method);
    jobject result = env->CallStaticObjectMethodV(type, method, list);
    va_end(list);
    return result;
}

TEST(BridgeInProcess, ExportsAndASecondWindowsThreadSeeTheSameVm) {
    InProcessVm& vm = InProcessVm::get();
    ASSERT_EQ(vm.created, JNI_OK);
    struct {  // the JDK 1.1 record up to javaStackSize, with room for the rest
        jint version;
        char** properties;
        jint checkSource, nativeStackSize, javaStackSize, rest[32];
    } defaults{};
    defaults.version = JNI_VERSION_1_1;
    resolve<jint(JNICALL*)(void*)>(vm.library, "JNI_GetDefaultJavaVMInitArgs")(&defaults);
    EXPECT_EQ(defaults.javaStackSize, 1024 * 1024);
    JavaVM* listed[2] = {};
    jsize count = 0;
    ASSERT_EQ(resolve<jint(JNICALL*)(JavaVM**, jsize, jsize*)>(vm.library, "JNI_GetCreatedJavaVMs")(listed, 2, &count),
              JNI_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(listed[0], vm.vm);
    vm.onAttachedThread(
        [&](JNIEnv* env) {
            jclass thread = env->FindClass("java/lang/Thread");
            jobject current = env->CallStaticObjectMethod(
                thread, env->GetStaticMethodID(thread, "currentThread", "()Ljava/lang/Thread;"));
            EXPECT_EQ(utf8Of(env, env->CallObjectMethod(current,
                                                        env->GetMethodID(thread, "getName", "()Ljava/lang/String;"))),
                      "second windows thread");
            JavaVM* given = nullptr;
            EXPECT_EQ(env->GetJavaVM(&given), JNI_OK);
            EXPECT_EQ(given, vm.vm);
            JNIEnv* again = nullptr;
            EXPECT_EQ(vm.vm->GetEnv(reinterpret_cast<void**>(&again), JNI_VERSION_1_2), JNI_OK);
            EXPECT_EQ(again, env);
            auto findBootClass =
                resolve<jclass(JNICALL*)(JNIEnv*, const char*)>(vm.library, "JVM_FindClassFromBootLoader");
            EXPECT_NE(findBootClass(env, "sun/launcher/LauncherHelper"), nullptr);
            EXPECT_EQ(findBootClass(env, "bridge/Calls"), nullptr);  // not a boot class
            JNINativeMethod none{const_cast<char*>("unbound"), const_cast<char*>("()Ljava/lang/String;"), nullptr};
            EXPECT_LT(env->RegisterNatives(env->FindClass("bridge/Calls"), &none, 1), 0);
        },
        "second windows thread");
}

TEST(BridgeInProcess, CallsCarryEveryParameterTypeInAllThreeForms) {
    InProcessVm::get().onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        ASSERT_NE(calls, nullptr);
        jmethodID describe =
            env->GetStaticMethodID(calls, "describe", "(ZBCSIJFDLjava/lang/String;)Ljava/lang/String;");
        jmethodID describeFrom =
            env->GetMethodID(calls, "describeFrom", "(ZBCSIJFDLjava/lang/String;)Ljava/lang/String;");
        jmethodID init = env->GetMethodID(calls, "<init>", "(J)V");
        ASSERT_TRUE(describe && describeFrom && init);
        jstring text = env->NewStringUTF("\xC3\xBC");
        const jvalue args[] = {{.z = JNI_TRUE},        {.b = -5},   {.c = 0x20AC}, {.s = -300}, {.i = 123456},
                               {.j = 9876543210123LL}, {.f = 1.5f}, {.d = -2.25},  {.l = text}};
        const std::string expected = "true -5 8364 -300 123456 9876543210123 1.5 -2.25 \xC3\xBC";
        EXPECT_EQ(utf8Of(env, env->functions->CallStaticObjectMethod(env, calls, describe, JNI_TRUE, -5, 0x20AC, -300,
                                                                     123456, 9876543210123LL, 1.5f, -2.25, text)),
                  expected);
        EXPECT_EQ(utf8Of(env, callStaticObject(env, calls, describe, JNI_TRUE, -5, 0x20AC, -300, 123456,
                                               9876543210123LL, 1.5f, -2.25, text)),
                  expected);
        EXPECT_EQ(utf8Of(env, env->CallStaticObjectMethodA(calls, describe, args)), expected);

        jobject viaVariadic = env->functions->NewObject(env, calls, init, 42LL);
        jobject viaList = env->NewObject(calls, init, 43LL);
        const jvalue base = {.j = 44};
        jobject viaArray = env->NewObjectA(calls, init, &base);
        ASSERT_TRUE(viaVariadic && viaList && viaArray);
        EXPECT_EQ(utf8Of(env, env->functions->CallObjectMethod(env, viaVariadic, describeFrom, JNI_TRUE, -5, 0x20AC,
                                                               -300, 123456, 9876543210123LL, 1.5f, -2.25, text)),
                  "42: " + expected);
        EXPECT_EQ(utf8Of(env, env->CallObjectMethodA(viaList, describeFrom, args)), "43: " + expected);
        EXPECT_EQ(utf8Of(env, env->functions->CallNonvirtualObjectMethod(env, viaArray, calls, describeFrom, JNI_TRUE,
                                                                         -5, 0x20AC, -300, 123456, 9876543210123LL,
                                                                         1.5f, -2.25, text)),
                  "44: " + expected);
        EXPECT_EQ(utf8Of(env, env->CallNonvirtualObjectMethodA(viaArray, calls, describeFrom, args)),
                  "44: " + expected);
    });
}

TEST(BridgeInProcess, MethodIdsTheBridgeHasNotSeenAreReadThroughJvmti) {
    InProcessVm::get().onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        jobject method = env->CallStaticObjectMethodA(
            calls, env->GetStaticMethodID(calls, "reflectedMethod", "()Ljava/lang/reflect/Method;"), nullptr);
        ASSERT_NE(method, nullptr);
        jmethodID reflected = env->FromReflectedMethod(method);
        EXPECT_EQ(utf8Of(env, env->functions->CallStaticObjectMethod(env, calls, reflected, 7, 2.5, 3LL)), "7 2.5 3");
    });
}

TEST(BridgeInProcess, ExceptionTraceIsPrintedIntoAByteArrayOutputStream) {
    InProcessVm::get().onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        env->CallStaticVoidMethod(calls, env->GetStaticMethodID(calls, "fail", "(Ljava/lang/String;)V"),
                                  env->NewStringUTF("boom"));
        jthrowable thrown = env->ExceptionOccurred();
        ASSERT_NE(thrown, nullptr);
        env->ExceptionClear();
        jclass bytesType = env->FindClass("java/io/ByteArrayOutputStream");
        jclass printType = env->FindClass("java/io/PrintStream");
        jobject bytes = env->NewObject(bytesType, env->GetMethodID(bytesType, "<init>", "()V"));
        jobject print =
            env->NewObject(printType, env->GetMethodID(printType, "<init>", "(Ljava/io/OutputStream;)V"), bytes);
        env->CallVoidMethod(
            thrown, env->GetMethodID(env->GetObjectClass(thrown), "printStackTrace", "(Ljava/io/PrintStream;)V"),
            print);
        const std::string trace =
            utf8Of(env, env->CallObjectMethod(bytes, env->GetMethodID(bytesType, "toString", "()Ljava/lang/String;")));
        EXPECT_EQ(trace.rfind("java.lang.IllegalStateException: boom\n\tat bridge.Calls.fail(Calls.java:", 0), 0u)
            << trace;
    });
}

TEST(BridgeInProcess, StackOverflowAndNullPointerAreHandledOnWindowsThreads) {
    InProcessVm::get().onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        EXPECT_GT(env->CallStaticIntMethod(calls, env->GetStaticMethodID(calls, "overflowDepth", "()I")), 1000);
        jmethodID dereference =
            env->GetStaticMethodID(calls, "dereferenceNull", "(Ljava/lang/Object;)Ljava/lang/String;");
        EXPECT_EQ(utf8Of(env, env->CallStaticObjectMethod(calls, dereference, nullptr)), "caught NullPointerException");
        EXPECT_FALSE(env->ExceptionCheck());
        // A page fault that Wine turns into a Windows exception passes through HotSpot's handler first.
        EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(0x10), 1));
    });
    EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(0x10), 1));
}

[[gnu::noinline]] int recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return depth == INT_MAX ? 0 : recurse(depth + 1) + frame[0];
}

LONG CALLBACK endThreadOnStackOverflow(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) ExitThread(7);
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(BridgeInProcess, StackOverflowInWindowsCodeStaysAWindowsException) {
    // The fault comes with the stack used up: HotSpot's handler, which sees it
    // first, must run on the signal stack to pass it on to Wine.
    ASSERT_EQ(InProcessVm::get().created, JNI_OK);
    PVOID handler = AddVectoredExceptionHandler(1, endThreadOnStackOverflow);
    EXPECT_EQ(onWindowsThread([] { return static_cast<DWORD>(recurse(0)); }), 7u);
    RemoveVectoredExceptionHandler(handler);
}

std::atomic<unsigned> spins{0};

TEST(BridgeInProcess, WindowsThreadsCanStillBeTerminated) {
    // Wine stops a running thread with SIGQUIT, which HotSpot would take for its
    // thread dumps: the server then reports the thread ended while it runs on.
    ASSERT_EQ(InProcessVm::get().created, JNI_OK);
    HANDLE spinner = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            for (;;) spins.fetch_add(1, std::memory_order_relaxed);
        },
        nullptr, 0, nullptr);
    ASSERT_NE(spinner, nullptr);
    Sleep(50);
    ASSERT_TRUE(TerminateThread(spinner, 42));
    EXPECT_EQ(WaitForSingleObject(spinner, 5000), WAIT_OBJECT_0);
    CloseHandle(spinner);
    Sleep(50);
    const unsigned before = spins.load();
    Sleep(100);
    EXPECT_EQ(spins.load(), before) << "the terminated thread is still running";
}

} // namespace
} // namespace jltest::bridge
