// The bridge jvm.dll loaded into the test process itself: one VM per process
// (HotSpot is created once), reached from Windows threads that attach to it.

#include <gtest/gtest.h>

#include <jni.h>

#include <atomic>
#include <climits>
#include <functional>
#include <string>

#include "bridge_test_support.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest::bridge {
namespace {

// Runs body on a new Windows thread and gives its result.
DWORD onWindowsThread(std::function<DWORD()> body) {
    auto run = [](void* body) -> DWORD { return (*static_cast<std::function<DWORD()>*>(body))(); };
    const jl::UniqueHandle thread{CreateThread(nullptr, 0, run, &body, 0, nullptr)};
    DWORD result = 0xDEAD;
    if (thread && WaitForSingleObject(thread.get(), 60000) == WAIT_OBJECT_0) GetExitCodeThread(thread.get(), &result);
    return result;
}

// The bridge VM, created once on a thread of its own like the launcher's Java
// main thread, which then leaves it; the process's first thread never enters it.
struct BridgeVm {
    HMODULE library = LoadLibraryW(jvmPath().c_str());
    JavaVM* vm = nullptr;

    BridgeVm() {
        auto create = resolve<jint(JNICALL*)(JavaVM**, void**, void*)>(library, "JNI_CreateJavaVM");
        onWindowsThread([&]() -> DWORD {
            const std::string classPath = jl::toAnsiString(L"-Djava.class.path=" + programsJar());
            JavaVMOption options[] = {{const_cast<char*>(classPath.c_str()), nullptr}};
            JavaVMInitArgs args{JNI_VERSION_1_2, 1, options, JNI_FALSE};
            JNIEnv* env = nullptr;
            if (!create || create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) vm = nullptr;
            return vm ? vm->DetachCurrentThread() : 0;
        });
    }
};

const BridgeVm& bridge() {
    static const BridgeVm instance;
    return instance;
}

// Runs work on a new Windows thread attached to the VM as "second windows thread".
void onAttachedThread(const std::function<void(JNIEnv*)>& work) {
    JavaVM* vm = bridge().vm;
    ASSERT_NE(vm, nullptr) << "no bridge VM: wine must start with WINEDLLPATH naming runtimes/bridge/winelib";
    EXPECT_EQ(onWindowsThread([&]() -> DWORD {
                  JNIEnv* env = nullptr;
                  JavaVMAttachArgs args{JNI_VERSION_1_2, const_cast<char*>("second windows thread"), nullptr};
                  if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), &args) != JNI_OK) return 1;
                  work(env);
                  return vm->DetachCurrentThread() == JNI_OK ? 0 : 2;
              }),
              0u);
}

std::string utf8Of(JNIEnv* env, jobject string) {
    if (!string) return "(null)";
    const char* chars = env->GetStringUTFChars(static_cast<jstring>(string), nullptr);
    std::string text = chars;
    env->ReleaseStringUTFChars(static_cast<jstring>(string), chars);
    return text;
}

TEST(BridgeInProcess, ASecondWindowsThreadAttachesToTheListedVmAndCallsStaticMethods) {
    JavaVM* listed[2] = {};
    jsize count = 0;
    auto getCreated = resolve<jint(JNICALL*)(JavaVM**, jsize, jsize*)>(bridge().library, "JNI_GetCreatedJavaVMs");
    ASSERT_TRUE(getCreated && getCreated(listed, 2, &count) == JNI_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(listed[0], bridge().vm);
    onAttachedThread([](JNIEnv* env) {
        jclass thread = env->FindClass("java/lang/Thread");
        jmethodID currentThread = env->GetStaticMethodID(thread, "currentThread", "()Ljava/lang/Thread;");
        jmethodID getName = env->GetMethodID(thread, "getName", "()Ljava/lang/String;");
        EXPECT_EQ(utf8Of(env, env->CallObjectMethod(env->CallStaticObjectMethod(thread, currentThread), getName)),
                  "second windows thread");
        jclass integer = env->FindClass("java/lang/Integer");
        jmethodID parse = env->GetStaticMethodID(integer, "parseInt", "(Ljava/lang/String;I)I");
        EXPECT_EQ(env->CallStaticIntMethod(integer, parse, env->NewStringUTF("-7f"), 16), -127);
    });
}

// Calls.describe's arguments, one of each parameter type. env->functions->Name(env, ...)
// reaches a "..." entry; the C++ members of JNIEnv hand a va_list to the V entry.
#define DESCRIBE_ARGS JNI_TRUE, -5, 0x20AC, -300, 123456, 9876543210123LL, 1.5f, -2.25, text

TEST(BridgeInProcess, EveryCallFormCarriesEveryParameterType) {
    onAttachedThread([](JNIEnv* env) {
        const char* signature = "(ZBCSIJFDLjava/lang/String;)Ljava/lang/String;";
        jclass calls = env->FindClass("bridge/Calls");
        ASSERT_NE(calls, nullptr);
        jmethodID describe = env->GetStaticMethodID(calls, "describe", signature);
        jmethodID describeFrom = env->GetMethodID(calls, "describeFrom", signature);
        jmethodID init = env->GetMethodID(calls, "<init>", "(J)V");
        jmethodID reflectedMethod = env->GetStaticMethodID(calls, "reflectedMethod", "()Ljava/lang/reflect/Method;");
        ASSERT_TRUE(describe && describeFrom && init && reflectedMethod);
        // Only ever found through reflection: the bridge must ask JVMTI for its parameters.
        jmethodID reflected = env->FromReflectedMethod(env->CallStaticObjectMethodA(calls, reflectedMethod, nullptr));
        jstring text = env->NewStringUTF("\xC3\xBC");
        const jvalue args[] = {{.z = JNI_TRUE},        {.b = -5},   {.c = 0x20AC}, {.s = -300}, {.i = 123456},
                               {.j = 9876543210123LL}, {.f = 1.5f}, {.d = -2.25},  {.l = text}};
        const jvalue base = {.j = 44};
        jobject viaVariadic = env->functions->NewObject(env, calls, init, 42LL);
        jobject viaList = env->NewObject(calls, init, 43LL);
        jobject viaArray = env->NewObjectA(calls, init, &base);
        const struct {
            const char* form;
            const char* prefix;  // before describe's text
            jobject result;
        } rows[] = {
            {"static ...", "", env->functions->CallStaticObjectMethod(env, calls, describe, DESCRIBE_ARGS)},
            {"static va_list", "", env->CallStaticObjectMethod(calls, describe, DESCRIBE_ARGS)},
            {"static jvalue[]", "", env->CallStaticObjectMethodA(calls, describe, args)},
            {"static ..., id only JVMTI knows", "reflected ",
             env->functions->CallStaticObjectMethod(env, calls, reflected, DESCRIBE_ARGS)},
            {"... on NewObject ...", "42: ",
             env->functions->CallObjectMethod(env, viaVariadic, describeFrom, DESCRIBE_ARGS)},
            {"va_list on NewObjectV", "43: ", env->CallObjectMethod(viaList, describeFrom, DESCRIBE_ARGS)},
            {"jvalue[] on NewObjectA", "44: ", env->CallObjectMethodA(viaArray, describeFrom, args)},
            {"nonvirtual ...", "42: ",
             env->functions->CallNonvirtualObjectMethod(env, viaVariadic, calls, describeFrom, DESCRIBE_ARGS)},
            {"nonvirtual va_list", "43: ",
             env->CallNonvirtualObjectMethod(viaList, calls, describeFrom, DESCRIBE_ARGS)},
            {"nonvirtual jvalue[]", "44: ", env->CallNonvirtualObjectMethodA(viaArray, calls, describeFrom, args)},
        };
        const std::string described = "true -5 8364 -300 123456 9876543210123 1.5 -2.25 \xC3\xBC";
        for (const auto& row : rows) EXPECT_EQ(utf8Of(env, row.result), row.prefix + described) << row.form;
    });
}

TEST(BridgeInProcess, ExceptionTraceIsPrintedIntoAByteArrayOutputStream) {
    onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        env->CallStaticVoidMethod(calls, env->GetStaticMethodID(calls, "fail", "(Ljava/lang/String;)V"),
                                  env->NewStringUTF("boom"));
        jthrowable thrown = env->ExceptionOccurred();
        ASSERT_NE(thrown, nullptr);
        env->ExceptionClear();
        jclass bytesType = env->FindClass("java/io/ByteArrayOutputStream");
        jclass printType = env->FindClass("java/io/PrintStream");
        jobject bytes = env->NewObject(bytesType, env->GetMethodID(bytesType, "<init>", "()V"));
        jmethodID printInit = env->GetMethodID(printType, "<init>", "(Ljava/io/OutputStream;)V");
        jmethodID printTrace =
            env->GetMethodID(env->GetObjectClass(thrown), "printStackTrace", "(Ljava/io/PrintStream;)V");
        env->CallVoidMethod(thrown, printTrace, env->NewObject(printType, printInit, bytes));
        const std::string trace =
            utf8Of(env, env->CallObjectMethod(bytes, env->GetMethodID(bytesType, "toString", "()Ljava/lang/String;")));
        EXPECT_EQ(trace.rfind("java.lang.IllegalStateException: boom\n\tat bridge.Calls.fail(Calls.java:", 0), 0u)
            << trace;
    });
}

TEST(BridgeInProcess, StackOverflowAndNullPointerAreCaughtInJavaOnWindowsThreads) {
    onAttachedThread([](JNIEnv* env) {
        jclass calls = env->FindClass("bridge/Calls");
        EXPECT_GT(env->CallStaticIntMethod(calls, env->GetStaticMethodID(calls, "overflowDepth", "()I")), 1000);
        jmethodID dereference =
            env->GetStaticMethodID(calls, "dereferenceNull", "(Ljava/lang/Object;)Ljava/lang/String;");
        EXPECT_EQ(utf8Of(env, env->CallStaticObjectMethod(calls, dereference, nullptr)), "caught NullPointerException");
        EXPECT_FALSE(env->ExceptionCheck());
    });
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

TEST(BridgeInProcess, WindowsFaultsStayWindowsExceptionsAndThreadsCanBeTerminated) {
    ASSERT_NE(bridge().vm, nullptr);
    // The overflow comes with the stack used up: HotSpot's handler, which sees the
    // fault first, must run on the signal stack to pass it on to Wine.
    PVOID handler = AddVectoredExceptionHandler(1, endThreadOnStackOverflow);
    EXPECT_EQ(onWindowsThread([] { return static_cast<DWORD>(recurse(0)); }), 7u);
    RemoveVectoredExceptionHandler(handler);
    // Wine stops a thread with SIGQUIT, which HotSpot would take for a thread dump.
    static std::atomic<unsigned> spins{0};
    const jl::UniqueHandle spinner{CreateThread(
        nullptr, 0, [](void*) -> DWORD { for (;;) spins.fetch_add(1, std::memory_order_relaxed); }, nullptr, 0, nullptr)};
    Sleep(50);
    ASSERT_TRUE(TerminateThread(spinner.get(), 42));
    EXPECT_EQ(WaitForSingleObject(spinner.get(), 5000), WAIT_OBJECT_0);
    const unsigned before = spins.load();
    Sleep(100);
    EXPECT_EQ(spins.load(), before) << "the terminated thread is still running";
}

} // namespace
} // namespace jltest::bridge
