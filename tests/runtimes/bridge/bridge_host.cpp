// A minimal launcher for the bridge tests, one Java program per process: loads
// jvm.dll, creates the VM on a thread of its own with the exit and abort hooks,
// optionally sends System.out to a file, finds the main class, calls main with
// the arguments as UTF-16 strings and leaves the VM the way the launcher does.
//
//   jl_bridge_host --jvm=PATH [--option=VMOPTION]... [--out=FILE] [--hook-log=FILE]
//                  [--helper] [--mode=N] [--timing] MAINCLASS [ARGUMENT]...
//
// --helper finds the main class through LauncherHelper.checkAndLoadMain, in the
// helper's mode N (1 a class, the default; 2 a jar; 3 "module[/class]"), so
// MAINCLASS is what that mode names; the VM options the java command adds for a
// mode (the jar's class path, the main module's property) come as --option.
// Exit codes: 0 main returned and the VM ended, 2 bad use, 3 no VM, 4 no main
// class or main method, 5 main threw, 6 the detach failed; System.exit(n) gives n.

#include <windows.h>

#include <jni.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/win_text.h"

namespace {

struct Request {
    std::wstring jvm, out, hookLog, mainClass;
    std::vector<std::wstring> options, arguments;
    bool helper = false;
    int mode = 1;
    bool timing = false;
};

Request request;
jint(JNICALL* createJavaVm)(JavaVM**, void**, void*) = nullptr;
jclass(JNICALL* findClassFromBootLoader)(JNIEnv*, const char*) = nullptr;

void appendToHookLog(const std::string& line) {
    if (request.hookLog.empty()) return;
    HANDLE file = CreateFileW(request.hookLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

void JNICALL exitHook(jint status) { appendToHookLog("exit " + std::to_string(status) + "\n"); }
void JNICALL abortHook() { appendToHookLog("abort\n"); }

double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

jstring newJavaString(JNIEnv* env, const std::wstring& text) {
    jclass type = env->FindClass("java/lang/String");
    jmethodID init = type ? env->GetMethodID(type, "<init>", "([C)V") : nullptr;
    jcharArray chars = init ? env->NewCharArray(static_cast<jsize>(text.size())) : nullptr;
    if (!chars) return nullptr;
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
    auto string = static_cast<jstring>(env->NewObject(type, init, chars));
    env->DeleteLocalRef(chars);
    return string;
}

// new PrintStream(new FileOutputStream(name, false)) as System.out.
void redirectOutput(JNIEnv* env) {
    jclass fileType = env->FindClass("java/io/FileOutputStream");
    jclass printType = env->FindClass("java/io/PrintStream");
    jclass system = env->FindClass("java/lang/System");
    jstring name = newJavaString(env, request.out);
    if (!fileType || !printType || !system || !name) return;
    jobject file =
        env->NewObject(fileType, env->GetMethodID(fileType, "<init>", "(Ljava/lang/String;Z)V"), name, JNI_FALSE);
    jobject print =
        file ? env->NewObject(printType, env->GetMethodID(printType, "<init>", "(Ljava/io/OutputStream;)V"), file)
             : nullptr;
    if (print)
        env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setOut", "(Ljava/io/PrintStream;)V"), print);
    if (env->ExceptionOccurred()) env->ExceptionDescribe();
}

// The main class is given with dots; FindClass wants slashes.
jclass findMainClass(JNIEnv* env) {
    if (!request.helper) {
        std::wstring slashed = request.mainClass;
        for (wchar_t& c : slashed) c = c == L'.' ? L'/' : c;
        return env->FindClass(jl::toUtf8(slashed).c_str());
    }
    jclass helper = findClassFromBootLoader ? findClassFromBootLoader(env, "sun/launcher/LauncherHelper") : nullptr;
    jmethodID check =
        helper ? env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;")
               : nullptr;
    jstring name = check ? newJavaString(env, request.mainClass) : nullptr;
    return name ? static_cast<jclass>(env->CallStaticObjectMethod(helper, check, JNI_TRUE, request.mode, name)) : nullptr;
}

DWORD WINAPI javaMainThread(void*) {
    std::vector<std::string> texts;
    for (const std::wstring& option : request.options) texts.push_back(jl::toAnsiString(option));
    std::vector<JavaVMOption> options;
    for (std::string& text : texts) options.push_back({text.data(), nullptr});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});
    JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(options.size()), options.data(), JNI_FALSE};

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const jint created = createJavaVm(&vm, reinterpret_cast<void**>(&env), &args);
    if (created != JNI_OK) {
        fprintf(stderr, "bridge host: JNI_CreateJavaVM returned %ld\n", static_cast<long>(created));
        return 3;
    }
    if (request.timing) fprintf(stderr, "bridge host: VM created in %.1f ms\n", millisecondsSince(start));
    if (!request.out.empty()) redirectOutput(env);

    jclass mainClass = findMainClass(env);
    jmethodID main = mainClass ? env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V") : nullptr;
    jobjectArray arguments = main ? env->NewObjectArray(static_cast<jsize>(request.arguments.size()),
                                                        env->FindClass("java/lang/String"), nullptr)
                                  : nullptr;
    for (size_t i = 0; arguments && i < request.arguments.size(); ++i) {
        env->SetObjectArrayElement(arguments, static_cast<jsize>(i), newJavaString(env, request.arguments[i]));
    }
    if (!arguments) {
        if (env->ExceptionOccurred()) env->ExceptionDescribe();
        return 4;
    }
    env->CallStaticVoidMethod(mainClass, main, arguments);
    const DWORD result = env->ExceptionOccurred() ? 5 : 0;
    if (result) env->ExceptionDescribe();
    if (vm->DetachCurrentThread() != JNI_OK) return 6;
    vm->DestroyJavaVM();  // waits for the last non-daemon thread
    if (request.timing) fprintf(stderr, "bridge host: VM ended after %.1f ms\n", millisecondsSince(start));
    return result;
}

template <typename Function>
Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool parse(int argc, wchar_t** argv) {
    int i = 1;
    for (; i < argc && wcsncmp(argv[i], L"--", 2) == 0; ++i) {
        const std::wstring argument = argv[i];
        const std::wstring value = argument.substr(argument.find(L'=') + 1);
        if (argument.starts_with(L"--jvm=")) request.jvm = value;
        else if (argument.starts_with(L"--option=")) request.options.push_back(value);
        else if (argument.starts_with(L"--out=")) request.out = value;
        else if (argument.starts_with(L"--hook-log=")) request.hookLog = value;
        else if (argument == L"--helper") request.helper = true;
        else if (argument.starts_with(L"--mode=")) request.mode = _wtoi(value.c_str());
        else if (argument == L"--timing") request.timing = true;
        else return false;
    }
    if (i >= argc || request.jvm.empty()) return false;
    request.mainClass = argv[i++];
    request.arguments.assign(argv + i, argv + argc);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (!parse(argc, argv)) {
        fprintf(stderr,
                "usage: jl_bridge_host --jvm=PATH [--option=OPTION]... [--out=FILE] [--hook-log=FILE] "
                "[--helper] [--mode=N] [--timing] MAINCLASS [ARGUMENT]...\n");
        return 2;
    }
    HMODULE jvm = LoadLibraryW(request.jvm.c_str());
    if (jvm) {
        createJavaVm = resolve<decltype(createJavaVm)>(jvm, "JNI_CreateJavaVM");
        findClassFromBootLoader = resolve<decltype(findClassFromBootLoader)>(jvm, "JVM_FindClassFromBootLoader");
    }
    if (!createJavaVm) {
        fprintf(stderr, "bridge host: cannot load the VM library, error %lu\n", GetLastError());
        return 3;
    }
    HANDLE thread = CreateThread(nullptr, 0, javaMainThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD result = 3;
    GetExitCodeThread(thread, &result);
    return static_cast<int>(result);
}
