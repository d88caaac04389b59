// The probe runtime driven through its exports as a launcher drives a Java runtime, then
// read back from its record: each home, the record's encodings and each scenario fault.

#include <windows.h>

#include <gtest/gtest.h>
#include <jni.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "runtimes/probe/probe_record.h"

namespace jltest {
namespace {

constexpr char kMainSignature[] = "([Ljava/lang/String;)V";
constexpr char kCheckSignature[] = "(ZILjava/lang/String;)Ljava/lang/Class;";

std::wstring probeHome(std::wstring_view home = L"probe") {
    const std::wstring bin = testProgramFolder();
    return bin.substr(0, bin.rfind(L'\\')) + L"\\runtimes\\" + std::wstring(home);
}

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A Java string made as the launcher makes one, through String(char[]).
jstring javaString(JNIEnv* env, std::wstring_view text) {
    const jclass type = env->FindClass("java/lang/String");
    const jcharArray chars = env->NewCharArray(static_cast<jsize>(text.size()));
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
    return static_cast<jstring>(env->NewObject(type, env->GetMethodID(type, "<init>", "([C)V"), chars));
}

void JNICALL hostExitHook(jint status) { probe::record("host-exit-hook status=" + std::to_string(status)); }
void JNICALL hostAbortHook() { probe::record("host-abort-hook"); }

struct ProbeHost {
    ProbeHost() : module(LoadLibraryW((probeHome() + L"\\bin\\server\\jvm.dll").c_str())) {}
    ~ProbeHost() { if (vm) vm->DestroyJavaVM(); }

    jint create(std::vector<std::string> options) {
        options.insert(options.end(), {"abort", "exit"});
        std::vector<JavaVMOption> records;
        for (std::string& option : options) records.push_back({option.data(), nullptr});
        records[records.size() - 2].extraInfo = reinterpret_cast<void*>(hostAbortHook);
        records.back().extraInfo = reinterpret_cast<void*>(hostExitHook);
        JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(records.size()), records.data(), JNI_FALSE};
        return entry<jint(JNICALL*)(JavaVM**, void**, void*)>(module, "JNI_CreateJavaVM")(
            &vm, reinterpret_cast<void**>(&env), &args);
    }

    HMODULE module;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
};

// A child run (JL_PROBE_TEST_CHILD names the main class) launches in the launcher's order.
// Its look-up before ExceptionDescribe must be refused while main's exception is pending.
[[maybe_unused]] const bool kChildRun = [] {
    wchar_t mainClass[256];
    if (!GetEnvironmentVariableW(L"JL_PROBE_TEST_CHILD", mainClass, 256)) return false;
    ProbeHost host;
    struct { jint version; char** properties; jint checkSource, nativeStackSize, javaStackSize, rest[32]; } jdk11{};
    jdk11.version = JNI_VERSION_1_1;
    const jint defaults = entry<jint(JNICALL*)(void*)>(host.module, "JNI_GetDefaultJavaVMInitArgs")(&jdk11);
    probe::record("host-default-args result=" + std::to_string(defaults) + " version=" + std::to_string(jdk11.version) +
                  " javaStackSize=" + std::to_string(jdk11.javaStackSize));
    if (host.create({}) != JNI_OK) ExitProcess(101);
    JNIEnv* env = host.env;
    const jclass helper = entry<jclass(JNICALL*)(JNIEnv*, const char*)>(host.module, "JVM_FindClassFromBootLoader")(
        env, "sun/launcher/LauncherHelper");
    const jmethodID check = helper ? env->GetStaticMethodID(helper, "checkAndLoadMain", kCheckSignature) : nullptr;
    const auto type = static_cast<jclass>(
        check ? env->CallStaticObjectMethod(helper, check, JNI_TRUE, 1, javaString(env, mainClass)) : nullptr);
    const jobjectArray arguments = env->NewObjectArray(3, env->FindClass("java/lang/String"), nullptr);
    env->SetObjectArrayElement(arguments, 0, javaString(env, L"caf\u00e9 \U0001F600"));
    env->SetObjectArrayElement(arguments, 2, javaString(env, L""));
    if (type) env->CallStaticVoidMethod(type, env->GetStaticMethodID(type, "main", kMainSignature), arguments);
    env->FindClass("java/lang/String");
    env->ExceptionDescribe();
    probe::record("host-detach result=" + std::to_string(host.vm->DetachCurrentThread()));
    host.vm->DestroyJavaVM();
    ExitProcess(type ? 100 : 102);
}();

class ProbeRuntime : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"JL_PROBE_RECORD", path(L"record.txt").c_str()); }
    void TearDown() override {
        SetEnvironmentVariableW(L"JL_PROBE_SCENARIO", nullptr);
        removeFolderTree(folder_);
    }

    std::wstring path(std::wstring_view name) const { return folder_ + L"\\" + std::wstring(name); }
    std::vector<std::string> record() const { return probe::readRecord(path(L"record.txt")); }
    void expectInOrder(const std::vector<std::string>& expected) const {
        const std::vector<std::string> lines = record();
        auto from = lines.begin();
        for (const std::string& line : expected) {
            from = std::find(from, lines.end(), line);
            ASSERT_NE(from, lines.end()) << "missing or misplaced: " << line << "\n" << testing::PrintToString(lines);
            ++from;
        }
    }

    std::wstring folder_ = makeTemporaryFolder(L"probe");
};

TEST(ProbeHomes, LackExactlyTheExportTheirNameSays) {
    const wchar_t *jvm = L"server\\jvm.dll", *splash = L"splashscreen.dll";
    for (const auto& [home, missing] :
         {std::pair{L"probe", ""}, {L"probe-no-findclass", "JVM_FindClassFromBootLoader"},
          {L"probe-no-defaultargs", "JNI_GetDefaultJavaVMInitArgs"}, {L"probe-no-create", "JNI_CreateJavaVM"},
          {L"probe-no-splashinit", "SplashInit"}}) {
        for (const auto& [dll, name] : {std::pair{jvm, "JVM_FindClassFromBootLoader"}, {jvm, "JNI_CreateJavaVM"},
                                        {jvm, "JNI_GetDefaultJavaVMInitArgs"}, {jvm, "JNI_GetCreatedJavaVMs"},
                                        {splash, "SplashInit"}, {splash, "SplashLoadFile"},
                                        {splash, "SplashSetFileJarName"}, {splash, "SplashClose"}}) {
            const HMODULE module = LoadLibraryW((probeHome(home) + L"\\bin\\" + dll).c_str());
            ASSERT_NE(module, nullptr) << home << "\\bin\\" << dll;
            EXPECT_EQ(!GetProcAddress(module, name), std::string_view(name) == missing) << home << " " << name;
            FreeLibrary(module);
        }
    }
}

// Calls outside the launcher's set (GetVersion is slot 4, MonitorEnter 217) must show.
TEST_F(ProbeRuntime, RecordShowsEachCallInOrderWithItsTextEncoded) {
    SetEnvironmentVariableW(L"JL_PROBE_SCENARIO", L"secondaryMain=int;secondaryResult=42");
    ProbeHost host;
    ASSERT_EQ(host.create({"-Xmx64m", "-Djava.class.path=C:\\My App\\app.jar", "-Dcaf\xE9=1", ""}), JNI_OK);
    EXPECT_EQ(ProbeHost().create({}), JNI_EEXIST);
    JNIEnv* env = host.env;
    const jclass type = env->FindClass("App");
    const jmethodID secondary = env->GetStaticMethodID(type, "secondaryMain", "([Ljava/lang/String;)I");
    EXPECT_EQ(env->CallStaticIntMethod(type, secondary, nullptr), 42);
    EXPECT_EQ(env->GetVersion(), 0);
    EXPECT_EQ(env->functions->MonitorEnter(env, nullptr), 0);
    env->DeleteLocalRef(type);
    env->DeleteLocalRef(type);
    const HMODULE splash = LoadLibraryW((probeHome() + L"\\bin\\splashscreen.dll").c_str());
    ASSERT_NE(splash, nullptr);
    entry<void (*)()>(splash, "SplashInit")();
    EXPECT_EQ(entry<int (*)(const char*)>(splash, "SplashLoadFile")("C:\\splash \xE9.png"), 0);
    entry<void (*)(const char*, const char*)>(splash, "SplashSetFileJarName")("C:\\splash \xE9.png", "");
    entry<void (*)()>(splash, "SplashClose")();
    const std::string thread = std::to_string(GetCurrentThreadId());
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    expectInOrder({"create version=0x00010002 options=6 ignoreUnrecognized=0 thread=" + thread +
                       " cwd=" + probe::utf16Hex(folder),
                   "option index=0 text=-Xmx64m extraInfo=0",
                   "option index=1 text=-Djava.class.path=C:\\My%20App\\app.jar extraInfo=0",
                   "option index=2 text=-Dcaf%E9=1 extraInfo=0", "option index=3 text= extraInfo=0",
                   "option index=4 text=abort extraInfo=1", "option index=5 text=exit extraInfo=1",
                   "create-result value=0", "create-result value=-5",
                   "call class=App method=secondaryMain signature=([Ljava/lang/String;)I", "args count=null",
                   "unexpected-jni index=4", "unexpected-jni index=217", "bad-reference function=DeleteLocalRef",
                   "splash-init", "splash-load-file name=C:\\splash%20%E9.png",
                   "splash-set-file-jar-name file=C:\\splash%20%E9.png jar=", "splash-close"});
    const std::string stack = record().at(8);
    EXPECT_EQ(stack.rfind("stack thread=" + thread + " reserved=", 0), 0u) << stack;
    EXPECT_LE(std::stoull(*probe::fieldOf(stack, "committed")), std::stoull(*probe::fieldOf(stack, "reserved")));
}

TEST_F(ProbeRuntime, EachScenarioFaultShowsInALaunchAsConfigured) {
    const std::string check = "check-and-load-main printErrors=1 mode=1 name=" + probe::utf16Hex(L"com.example.App");
    // Exit code 101: no VM was made; 102: the helper gave no main class; 100: the run went to its end.
    const struct { const wchar_t* scenario; int exitCode; std::vector<std::string> lines; std::string out{}, err{}; }
        runs[] = {
        {L"", 100,
         {"host-default-args result=-1 version=65538 javaStackSize=1048576", check,
          "call class=com/example/App method=main signature=" + std::string(kMainSignature), "args count=3",
          "arg index=0 utf16=00630061006600E90020D83DDE00", "arg index=1 null=1", "arg index=2 utf16=",
          "host-detach result=0", "destroy"}},
        // The faults that leave the launch going, all at once, and two entries it rejects.
        {L"defaultStackSize=4194304;thread=400;detach=-2;out=caf%C3%A9;err=%25;main=sideways;colour=blue", 100,
         {"scenario-rejected entry=main=sideways", "scenario-rejected entry=colour=blue",
          "default-args version=0x00010001", "host-default-args result=-1 version=65538 javaStackSize=4194304",
          "host-detach result=-2", "thread-end ms=400", "destroy"},
         "caf\xC3\xA9", "%"},
        {L"create=-6", 101, {"create-result value=-6"}},
        {L"launcherHelper=absent", 102, {"find-class-from-boot-loader name=sun/launcher/LauncherHelper found=0"}},
        {L"launcherHelper=no-method", 102,
         {"get-static-method class=sun/launcher/LauncherHelper name=checkAndLoadMain "
          "signature=" + std::string(kCheckSignature) + " found=0"}, "", "java.lang.NoSuchMethodError"},
        {L"launcherHelper=null", 102, {check, "host-detach result=0"}},
        {L"mainClass=com/example/Other", 1, {"exit-hook status=1", "host-exit-hook status=1"}, "",
         "Error: Could not find or load main class com.example.App\r\n"
         "Caused by: java.lang.ClassNotFoundException: com.example.App\r\n"},
        {L"main=none", 1, {"exit-hook status=1"}, "", "Error: Main method not found in class com.example.App, please"},
        {L"main=exit;status=-1", -1, {"system-exit status=-1", "exit-hook status=-1", "host-exit-hook status=-1"}},
        {L"main=abort", 3, {"abort-hook", "host-abort-hook"}},
        {L"main=throw;exception=java/lang/Error;trace=java.lang.Error:%20caf%C3%A9%0D%0A%09at%20App.main()%0D%0A", 100,
         {"pending-exception function=FindClass class=java/lang/Error", "exception-describe class=java/lang/Error"}, "",
         "java.lang.Error: caf\xC3\xA9\r\n\tat App.main()\r\n"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(probe::utf8(run.scenario));
        DeleteFileW(path(L"record.txt").c_str());
        LaunchedProcess child = LaunchedProcess::start(
            builtProgram(L"probe_runtime_tests.exe"), L"",
            {{L"JL_PROBE_TEST_CHILD", L"com.example.App"}, {L"JL_PROBE_SCENARIO", run.scenario}}, {},
            {path(L"out.txt"), path(L"err.txt")});
        ASSERT_TRUE(child.started());
        EXPECT_EQ(child.waitForExit(), run.exitCode);
        EXPECT_EQ(record().at(0), "load module=jvm path=" + probe::percentEncoded(probe::utf8(
                                                               probeHome() + L"\\bin\\server\\jvm.dll")));
        expectInOrder(run.lines);
        EXPECT_EQ(readBytesFile(path(L"out.txt")), run.out);
        EXPECT_EQ(readBytesFile(path(L"err.txt")).rfind(run.err, 0), 0u) << readBytesFile(path(L"err.txt"));
    }
}

} // namespace
} // namespace jltest
