// The probe runtime driven through its exports as a launcher drives a Java
// runtime: load jvm.dll, create the VM with options and hooks, find the main
// class, call main, then read back what the probe recorded. Runs that end the
// process (System.exit, abort) happen in a child run of this program.

#include <windows.h>

#include <gtest/gtest.h>
#include <jni.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <thread>
#include <vector>

#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {
namespace {

constexpr char kMainSignature[] = "([Ljava/lang/String;)V";

std::wstring probeHome(std::wstring_view home) {
    const std::wstring bin = testProgramFolder();
    return bin.substr(0, bin.rfind(L'\\')) + L"\\runtimes\\" + std::wstring(home);
}

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::wstring widen(const std::string& utf8) {
    std::wstring text(utf8.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                                    static_cast<int>(text.size())));
    return text;
}

jstring javaString(JNIEnv* env, std::wstring_view text) {
    const jclass type = env->FindClass("java/lang/String");
    const jmethodID init = type ? env->GetMethodID(type, "<init>", "([C)V") : nullptr;
    const jcharArray chars = init ? env->NewCharArray(static_cast<jsize>(text.size())) : nullptr;
    if (!chars) return nullptr;
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
    const auto string = static_cast<jstring>(env->NewObject(type, init, chars));
    env->DeleteLocalRef(chars);
    return string;
}

jobjectArray javaStrings(JNIEnv* env, const std::vector<std::wstring>& texts) {
    const jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), env->FindClass("java/lang/String"), nullptr);
    for (size_t i = 0; i < texts.size(); ++i) {
        const jstring string = javaString(env, texts[i]);
        env->SetObjectArrayElement(array, static_cast<jsize>(i), string);
        env->DeleteLocalRef(string);
    }
    return array;
}

// A scenario or value as a test name: letters and digits, the rest as "_".
std::string caseName(std::string text) {
    for (char& c : text) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return text.empty() ? "default" : text;
}

void JNICALL hostExitHook(jint status) { probe::record("host-exit-hook status=" + std::to_string(status)); }
void JNICALL hostAbortHook() { probe::record("host-abort-hook"); }

// The launcher's side of the conversation, in the launcher's own order.
class ProbeHost {
public:
    explicit ProbeHost(std::wstring_view home = L"probe")
        : module_(LoadLibraryW((probeHome(home) + L"\\bin\\server\\jvm.dll").c_str())) {}
    ~ProbeHost() {
        if (vm) vm->DestroyJavaVM();
    }

    jint create(std::vector<std::string> options) {
        options.insert(options.end(), {"abort", "exit"});
        std::vector<JavaVMOption> records;
        for (std::string& option : options) records.push_back({option.data(), nullptr});
        records[records.size() - 2].extraInfo = reinterpret_cast<void*>(hostAbortHook);
        records.back().extraInfo = reinterpret_cast<void*>(hostExitHook);
        JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(records.size()), records.data(), JNI_FALSE};
        return entry<jint(JNICALL*)(JavaVM**, void**, void*)>(module_, "JNI_CreateJavaVM")(
            &vm, reinterpret_cast<void**>(&env), &args);
    }

    // The main class as the runtime's LauncherHelper gives it; null when that route gives none.
    jclass mainClassFromHelper(std::wstring_view dottedName) {
        const jclass helper = entry<jclass(JNICALL*)(JNIEnv*, const char*)>(module_, "JVM_FindClassFromBootLoader")(
            env, "sun/launcher/LauncherHelper");
        const jmethodID check =
            helper ? env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;")
                   : nullptr;
        if (!check) return nullptr;
        const jstring name = javaString(env, dottedName);
        return static_cast<jclass>(env->CallStaticObjectMethod(helper, check, JNI_TRUE, 1, name));
    }

    void callMain(jclass mainClass, const std::vector<std::wstring>& arguments) {
        env->CallStaticVoidMethod(mainClass, env->GetStaticMethodID(mainClass, "main", kMainSignature),
                                  javaStrings(env, arguments));
    }

    // A new object of a class with the constructor signature given.
    jobject make(const char* className, const char* signature, auto... arguments) {
        const jclass type = env->FindClass(className);
        const jmethodID init = type ? env->GetMethodID(type, "<init>", signature) : nullptr;
        return init ? env->NewObject(type, init, arguments...) : nullptr;
    }

    // Points System.out ("setOut") or System.err ("setErr") at a file.
    bool redirect(const char* setter, const std::wstring& file, bool append) {
        const jobject stream = make("java/io/FileOutputStream", "(Ljava/lang/String;Z)V", javaString(env, file),
                                    static_cast<jboolean>(append));
        const jobject printer = stream ? make("java/io/PrintStream", "(Ljava/io/OutputStream;)V", stream) : nullptr;
        const jclass system = env->FindClass("java/lang/System");
        if (!printer || !system) return false;
        env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V"), printer);
        return !env->ExceptionOccurred();
    }

    // printStackTrace into a byte stream, read back through toString.
    std::wstring stackTrace(jthrowable throwable) {
        const jobject bytes = make("java/io/ByteArrayOutputStream", "()V");
        const jobject printer = bytes ? make("java/io/PrintStream", "(Ljava/io/OutputStream;)V", bytes) : nullptr;
        if (!printer) return {};
        env->CallVoidMethod(throwable, env->GetMethodID(env->GetObjectClass(throwable), "printStackTrace",
                                                        "(Ljava/io/PrintStream;)V"),
                            printer);
        const auto text = static_cast<jstring>(env->CallObjectMethod(
            bytes, env->GetMethodID(env->GetObjectClass(bytes), "toString", "()Ljava/lang/String;")));
        const char* chars = text ? env->GetStringUTFChars(text, nullptr) : nullptr;
        if (!chars) return {};
        const std::wstring trace = widen(chars);
        env->ReleaseStringUTFChars(text, chars);
        return trace;
    }

    jsize createdVms() const {
        JavaVM* vms[2] = {};
        jsize count = -1;
        entry<jint(JNICALL*)(JavaVM**, jsize, jsize*)>(module_, "JNI_GetCreatedJavaVMs")(vms, 2, &count);
        return count;
    }

    HMODULE module() const { return module_; }

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;

private:
    HMODULE module_;
};

// A child run of this program (JL_PROBE_TEST_CHILD names the main class): it
// hosts one VM and runs main through the LauncherHelper route. The scenarios it
// is started with end the process before main could return.
[[maybe_unused]] const bool kChildRun = [] {
    char mainClass[256];
    if (!GetEnvironmentVariableA("JL_PROBE_TEST_CHILD", mainClass, sizeof mainClass)) return false;
    ProbeHost host;
    if (host.create({}) != JNI_OK) ExitProcess(101);
    if (const jclass type = host.mainClassFromHelper(widen(mainClass))) host.callMain(type, {});
    ExitProcess(100);
}();

class ProbeRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeTemporaryFolder(L"probe");
        SetEnvironmentVariableW(L"JL_PROBE_RECORD", recordPath().c_str());
        SetEnvironmentVariableW(L"JL_PROBE_SCENARIO", nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"JL_PROBE_RECORD", nullptr);
        removeFolderTree(folder_);
    }

    static void scenario(const std::string& text) { SetEnvironmentVariableA("JL_PROBE_SCENARIO", text.c_str()); }
    std::wstring path(std::wstring_view name) const { return folder_ + L"\\" + std::wstring(name); }
    std::wstring recordPath() const { return path(L"record.txt"); }
    std::vector<std::string> record() const { return probe::readRecord(recordPath()); }

    // Each line is in the record, after the one before it.
    void expectInOrder(const std::vector<std::string>& expected) const {
        const std::vector<std::string> lines = record();
        auto from = lines.begin();
        for (const std::string& line : expected) {
            const auto found = std::find(from, lines.end(), line);
            ASSERT_NE(found, lines.end())
                << "missing or out of order: " << line << "\n" << testing::PrintToString(lines);
            from = found + 1;
        }
    }
    size_t countOf(const std::string& event) const {
        const std::vector<std::string> lines = record();
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& line) { return probe::eventOf(line) == event; });
    }

    std::wstring folder_;
};

struct HomeCase {
    const wchar_t* home;
    bool findClass, defaultArgs, create, splashInit;
};

class ProbeHomes : public ProbeRuntime, public ::testing::WithParamInterface<HomeCase> {};

TEST_P(ProbeHomes, ExportWhatTheirNameSays) {
    const HomeCase& c = GetParam();
    ProbeHost host(c.home);
    ASSERT_NE(host.module(), nullptr);
    const HMODULE splash = LoadLibraryW((probeHome(c.home) + L"\\bin\\splashscreen.dll").c_str());
    ASSERT_NE(splash, nullptr);
    for (const auto& [module, name, expected] :
         {std::tuple{host.module(), "JVM_FindClassFromBootLoader", c.findClass},
          {host.module(), "JNI_GetDefaultJavaVMInitArgs", c.defaultArgs}, {host.module(), "JNI_CreateJavaVM", c.create},
          {host.module(), "JNI_GetCreatedJavaVMs", true}, {splash, "SplashInit", c.splashInit},
          {splash, "SplashLoadFile", true}, {splash, "SplashSetFileJarName", true}, {splash, "SplashClose", true}}) {
        EXPECT_EQ(GetProcAddress(module, name) != nullptr, expected) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeHomes,
                         ::testing::Values(HomeCase{L"probe", true, true, true, true},
                                           HomeCase{L"probe-no-findclass", false, true, true, true},
                                           HomeCase{L"probe-no-defaultargs", true, false, true, true},
                                           HomeCase{L"probe-no-create", true, true, false, true},
                                           HomeCase{L"probe-no-splashinit", true, true, true, false}),
                         [](const auto& info) { return caseName(probe::utf8(info.param.home)); });

class ProbeDefaultArgs : public ProbeRuntime, public ::testing::WithParamInterface<std::pair<const char*, jint>> {};

TEST_P(ProbeDefaultArgs, FillAJdk11RecordWithTheScenarioStackSize) {
    scenario(GetParam().first);
    struct {
        jint version;
        char** properties;
        jint checkSource, nativeStackSize, javaStackSize, rest[32];
    } jdk11{};
    jdk11.version = JNI_VERSION_1_1;
    ProbeHost host;
    EXPECT_EQ(entry<jint(JNICALL*)(void*)>(host.module(), "JNI_GetDefaultJavaVMInitArgs")(&jdk11), JNI_ERR);
    EXPECT_EQ(jdk11.javaStackSize, GetParam().second);
    EXPECT_EQ(jdk11.version, JNI_VERSION_1_2);
    expectInOrder({"default-args version=0x00010001"});
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeDefaultArgs,
                         ::testing::Values(std::pair{"", 1048576}, std::pair{"defaultStackSize=0", 0},
                                           std::pair{"defaultStackSize=4194304", 4194304},
                                           std::pair{"defaultStackSize=-1", -1}),
                         [](const auto& info) { return caseName(info.param.first); });

TEST_F(ProbeRuntime, CreationRecordsOptionsHooksAndTheCallingThreadsStack) {
    SetEnvironmentVariableW(L"PATH", (probeHome(L"probe") + L"\\bin").c_str());
    ProbeHost host;
    struct Run {
        ProbeHost* host;
        jint result = -100;
    } run{&host};
    const HANDLE thread = CreateThread(
        nullptr, 6 << 20,
        [](void* parameter) -> DWORD {
            auto* run = static_cast<Run*>(parameter);
            run->result = run->host->create({"-Xmx64m", "-Djava.class.path=C:\\My App\\app.jar", "-Dcaf\xE9=1", ""});
            return 0;
        },
        &run, 0, nullptr);
    const std::string threadId = std::to_string(GetThreadId(thread));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ASSERT_EQ(run.result, JNI_OK);
    expectInOrder({"create version=0x00010002 options=6 ignoreUnrecognized=0 thread=" + threadId,
                   "option index=0 text=-Xmx64m extraInfo=0",
                   "option index=1 text=-Djava.class.path=C:\\My%20App\\app.jar extraInfo=0",
                   "option index=2 text=-Dcaf%E9=1 extraInfo=0", "option index=3 text= extraInfo=0",
                   "option index=4 text=abort extraInfo=1", "option index=5 text=exit extraInfo=1",
                   "create-result value=0"});
    const std::vector<std::string> lines = record();
    const auto stack = std::find_if(lines.begin(), lines.end(), [](auto& l) { return probe::eventOf(l) == "stack"; });
    ASSERT_NE(stack, lines.end());
    EXPECT_EQ(probe::fieldOf(*stack, "thread"), threadId);
    const unsigned long long reserved = std::stoull(probe::fieldOf(*stack, "reserved").value_or("0"));
    const unsigned long long committed = std::stoull(probe::fieldOf(*stack, "committed").value_or("0"));
    EXPECT_GE(reserved, 6u << 20);
    EXPECT_GT(committed, 0u);
    EXPECT_LE(committed, reserved);
    EXPECT_NE(GetModuleHandleW(L"java.dll"), nullptr) << "the probe loads java.dll from PATH";
    EXPECT_EQ(host.createdVms(), 1);
    EXPECT_EQ(ProbeHost().create({}), JNI_EEXIST);
}

class ProbeCreateResult : public ProbeRuntime, public ::testing::WithParamInterface<jint> {};

TEST_P(ProbeCreateResult, IsTheScenariosAndLeavesNoVm) {
    scenario("create=" + std::to_string(GetParam()));
    ProbeHost host;
    EXPECT_EQ(host.create({}), GetParam());
    EXPECT_EQ(host.createdVms(), 0);
    expectInOrder({"create-result value=" + std::to_string(GetParam())});
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeCreateResult, ::testing::Values(-1, -2, -3, -4, -5, -6, 1, 42),
                         [](const auto& info) { return caseName(std::to_string(info.param)); });

TEST_F(ProbeRuntime, LauncherHelperRouteRunsMainWithTheExactArguments) {
    scenario("mainClass=com/example/App");
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    const jclass mainClass = host.mainClassFromHelper(L"com.example.App");
    ASSERT_NE(mainClass, nullptr);
    host.callMain(mainClass, {L"plain", L"", L"caf\u00e9 \U0001F600"});
    EXPECT_EQ(host.env->ExceptionOccurred(), nullptr);
    EXPECT_EQ(host.vm->DetachCurrentThread(), JNI_OK);
    EXPECT_EQ(host.vm->DestroyJavaVM(), JNI_OK);
    host.vm = nullptr;
    expectInOrder({"find-class-from-boot-loader name=sun/launcher/LauncherHelper found=1",
                   "get-static-method class=sun/launcher/LauncherHelper name=checkAndLoadMain "
                   "signature=(ZILjava/lang/String;)Ljava/lang/Class; found=1",
                   "check-and-load-main printErrors=1 mode=1 name=" + probe::utf16Hex(L"com.example.App"),
                   "get-static-method class=com/example/App name=main signature=([Ljava/lang/String;)V found=1",
                   "call class=com/example/App method=main signature=([Ljava/lang/String;)V", "args count=3",
                   "arg index=0 utf16=0070006C00610069006E", "arg index=1 utf16=",
                   "arg index=2 utf16=00630061006600E90020D83DDE00",
                   "detach thread=" + std::to_string(GetCurrentThreadId()) + " result=0", "destroy"});
    EXPECT_EQ(countOf("unexpected-jni") + countOf("bad-reference") + countOf("pending-exception"), 0u);
}

struct HelperCase {
    const char* scenario;
    const char* lastLine;
};

class ProbeHelperRoute : public ProbeRuntime, public ::testing::WithParamInterface<HelperCase> {};

TEST_P(ProbeHelperRoute, GivesNoClassWhenTheRuntimeSaysSo) {
    scenario(GetParam().scenario);
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    EXPECT_EQ(host.mainClassFromHelper(L"App"), nullptr);
    EXPECT_EQ(record().back(), GetParam().lastLine);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbeHelperRoute,
    ::testing::Values(HelperCase{"launcherHelper=absent",
                                 "find-class-from-boot-loader name=sun/launcher/LauncherHelper found=0"},
                      HelperCase{"launcherHelper=no-method",
                                 "get-static-method class=sun/launcher/LauncherHelper name=checkAndLoadMain "
                                 "signature=(ZILjava/lang/String;)Ljava/lang/Class; found=0"},
                      HelperCase{"launcherHelper=null", "check-and-load-main printErrors=1 mode=1 name=004100700070"}),
    [](const auto& info) { return caseName(info.param.scenario); });

struct LookupCase {
    const char* name;
    const char* scenario;
    const char* className;
    const char* trace;
};

class ProbeFailedLookup : public ProbeRuntime, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ProbeFailedLookup, LeavesTheErrorPendingForExceptionDescribe) {
    scenario(GetParam().scenario);
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    ASSERT_TRUE(host.redirect("setErr", path(L"err.txt"), false));
    const jclass type = host.env->FindClass(GetParam().className);
    if (type) {
        EXPECT_EQ(host.env->GetStaticMethodID(type, "main", kMainSignature), nullptr);
    }
    ASSERT_NE(host.env->ExceptionOccurred(), nullptr);
    EXPECT_EQ(host.env->FindClass("java/lang/String"), nullptr) << "a pending exception blocks FindClass";
    host.env->ExceptionDescribe();
    EXPECT_EQ(host.env->ExceptionOccurred(), nullptr);
    EXPECT_EQ(readBytesFile(path(L"err.txt")), GetParam().trace);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbeFailedLookup,
    ::testing::Values(LookupCase{"MissingClass", "mainClass=com/example/App", "com/example/Other",
                                 "java.lang.NoClassDefFoundError: com/example/Other\r\n"},
                      LookupCase{"DottedName", "", "com.example.App",
                                 "java.lang.NoClassDefFoundError: com.example.App\r\n"},
                      LookupCase{"NoMain", "main=none", "com/example/App", "java.lang.NoSuchMethodError: main\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProbeRuntime, ThrowingMainLeavesAThrowableThatPrintsTheScenarioTrace) {
    const std::wstring trace = L"java.lang.IllegalStateException: caf\u00e9\r\n\tat App.main(App.java:3)\r\n";
    scenario("main=throw;trace=" + probe::percentEncoded(probe::utf8(trace)));
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    host.callMain(host.env->FindClass("App"), {});
    const jthrowable thrown = host.env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);
    EXPECT_EQ(host.stackTrace(thrown), L"") << "the pending exception blocks the byte stream's creation";
    host.env->ExceptionClear();
    EXPECT_EQ(host.env->ExceptionOccurred(), nullptr);
    EXPECT_EQ(host.stackTrace(thrown), trace);
    expectInOrder({"pending-exception function=FindClass class=java/lang/IllegalStateException",
                   "exception-clear class=java/lang/IllegalStateException",
                   "get-object-class class=java/lang/IllegalStateException",
                   "call class=java/lang/IllegalStateException method=printStackTrace "
                   "signature=(Ljava/io/PrintStream;)V"});
}

class ProbeRedirect : public ProbeRuntime, public ::testing::WithParamInterface<bool> {};

TEST_P(ProbeRedirect, OpensTheFileAsAskedAndMainsOutputGoesThere) {
    const bool append = GetParam();
    const std::wstring file = path(L"out \u00e9.txt");
    writeBytesFile(file, "old\r\n");
    scenario("out=hello%0D%0A");
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    ASSERT_TRUE(host.redirect("setOut", file, append));
    EXPECT_FALSE(host.redirect("setErr", path(L"missing\\err.txt"), false));
    host.env->ExceptionClear();
    host.callMain(host.env->FindClass("App"), {});
    EXPECT_EQ(readBytesFile(file), append ? "old\r\nhello\r\n" : "hello\r\n");
    const std::string name = probe::utf16Hex(file);
    expectInOrder({"file-output-stream name=" + name + " append=" + std::to_string(append) + " opened=1",
                   "set-out target=file name=" + name + " append=" + std::to_string(append),
                   "file-output-stream name=" + probe::utf16Hex(path(L"missing\\err.txt")) + " append=0 opened=0",
                   "exception-clear class=java/io/FileNotFoundException"});
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeRedirect, ::testing::Bool());

TEST_F(ProbeRuntime, DestroyWaitsForTheThreadThatMainLeftRunning) {
    scenario("thread=400");
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    host.callMain(host.env->FindClass("App"), {});
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(host.vm->DestroyJavaVM(), JNI_OK);
    host.vm = nullptr;
    EXPECT_GE(GetTickCount64() - start, 350u);
    expectInOrder({"thread-end ms=400", "destroy"});
}

TEST_F(ProbeRuntime, SecondaryMainAndDetachAnswerAsTheScenarioSays) {
    scenario("secondaryMain=int;secondaryResult=42;detach=-2");
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    jint result = -1;
    std::thread([&] {
        JNIEnv* env = nullptr;
        ASSERT_EQ(host.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        const jclass type = env->FindClass("App");
        EXPECT_EQ(env->GetStaticMethodID(type, "secondaryMain", kMainSignature), nullptr);
        env->ExceptionClear();
        const jmethodID secondary = env->GetStaticMethodID(type, "secondaryMain", "([Ljava/lang/String;)I");
        result = env->CallStaticIntMethod(type, secondary, javaStrings(env, {L""}));
        EXPECT_EQ(host.vm->DetachCurrentThread(), -2);
    }).join();
    EXPECT_EQ(result, 42);
    expectInOrder({"exception-clear class=java/lang/NoSuchMethodError",
                   "call class=App method=secondaryMain signature=([Ljava/lang/String;)I", "args count=1",
                   "arg index=0 utf16="});
}

TEST_F(ProbeRuntime, SplashLibraryRecordsEachCallWithItsArguments) {
    const HMODULE splash = LoadLibraryW((probeHome(L"probe") + L"\\bin\\splashscreen.dll").c_str());
    ASSERT_NE(splash, nullptr);
    const char* picture = "C:\\pics\\splash \xE9.png";
    entry<void (*)()>(splash, "SplashInit")();
    EXPECT_EQ(entry<int (*)(const char*)>(splash, "SplashLoadFile")(picture), 0);
    entry<void (*)(const char*, const char*)>(splash, "SplashSetFileJarName")(picture, "");
    entry<void (*)()>(splash, "SplashClose")();
    expectInOrder({"splash-init", "splash-load-file name=C:\\pics\\splash%20%E9.png",
                   "splash-set-file-jar-name file=C:\\pics\\splash%20%E9.png jar=", "splash-close"});
}

TEST_F(ProbeRuntime, CallsOutsideTheLauncherSurfaceAreRecorded) {
    scenario("main=sideways;colour=blue");
    ProbeHost host;
    ASSERT_EQ(host.create({}), JNI_OK);
    EXPECT_EQ(host.env->functions->MonitorEnter(host.env, nullptr), 0);
    EXPECT_EQ(host.env->GetVersion(), 0);
    const jclass type = host.env->FindClass("App");
    host.env->DeleteLocalRef(type);
    host.env->DeleteLocalRef(type);
    expectInOrder({"scenario-rejected entry=main=sideways", "scenario-rejected entry=colour=blue",
                   "unexpected-jni index=217", "unexpected-jni index=4", "bad-reference function=DeleteLocalRef"});
}

struct ExitCase {
    const char* scenario;
    int exitCode;  // 3 after an abort, otherwise the System.exit status
    const char* errorStart;
};

class ProbeProcessEnd : public ProbeRuntime, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ProbeProcessEnd, GoesThroughTheHostsHookWithTheStatus) {
    LaunchedProcess child = LaunchedProcess::start(
        builtProgram(L"probe_runtime_tests.exe"), L"",
        {{L"JL_PROBE_TEST_CHILD", L"com.example.App"}, {L"JL_PROBE_RECORD", recordPath()},
         {L"JL_PROBE_SCENARIO", widen(GetParam().scenario)}},
        {}, {path(L"out.txt"), path(L"err.txt")});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.waitForExit(), GetParam().exitCode);
    EXPECT_EQ(record().at(0),
              "load module=jvm path=" +
                  probe::percentEncoded(probe::utf8(probeHome(L"probe") + L"\\bin\\server\\jvm.dll")));
    const std::string status = std::to_string(GetParam().exitCode);
    if (GetParam().exitCode == 3) {
        expectInOrder({"abort-hook", "host-abort-hook"});
    } else {
        expectInOrder(
            {"system-exit status=" + status, "exit-hook status=" + status, "host-exit-hook status=" + status});
    }
    EXPECT_EQ(readBytesFile(path(L"err.txt")).rfind(GetParam().errorStart, 0), 0u) << readBytesFile(path(L"err.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbeProcessEnd,
    ::testing::Values(
        ExitCase{"main=exit;status=7", 7, ""}, ExitCase{"main=exit;status=-1", -1, ""},
        ExitCase{"mainClass=com/example/Other", 1,
                 "Error: Could not find or load main class com.example.App\r\n"
                 "Caused by: java.lang.ClassNotFoundException: com.example.App\r\n"},
        ExitCase{"main=none", 1, "Error: Main method not found in class com.example.App, please"},
        ExitCase{"main=abort", 3, ""}),
    [](const auto& info) { return caseName(info.param.scenario); });

} // namespace
} // namespace jltest
