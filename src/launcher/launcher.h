#pragma once
// The one object that owns a launch: settings, arguments, the chosen runtime, the
// VM option list, the JVM handles, and the splash and single-instance resources.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <jni.h>

#include "runtime/version.h"
#include "settings/settings_values.h"
#include "splash/splash_closer.h"
#include "support/unique_resource.h"

namespace jl {

class SplashWindow;

// Told when the JVM's exit or abort hook runs.
class ExitObserver {
public:
    virtual ~ExitObserver() = default;
    virtual void exit(jint status) = 0;
    virtual void abort() = 0;
};

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgsFunction = jint(JNICALL*)(void*);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv*, const char*);

class Launcher {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The process's launcher, for the JVM hooks that take no context; null
    // outside the entry point's lifetime of the object.
    [[nodiscard]] static Launcher* current();

    // True when run is to follow.
    [[nodiscard]] bool init();
    // The process exit code.
    [[nodiscard]] int run();
    void shutdown();

    void checkPairedBitness();
    void applyWorkingDirectory();
    void rememberJrePath(const std::wstring& folder);

    ExitObserver* exitObserver = nullptr;
    UniqueHandle splashThread;
    DWORD splashThreadId = 0;
    std::wstring splashImage;
    std::wstring splashShadow;
    JvmType jvmType = JvmType::defaultVm;
    std::wstring jvmLibraryPath;
    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;
    std::wstring mainClass;
    Version foundRuntimeVersion;
    Version minimumVersion;
    Version maximumVersion;
    std::vector<std::wstring> arguments;
    SplashWindow* splashWindow = nullptr;
    HWND messageOwner = nullptr;
    bool isService = false;
    bool jdkAllowed = false;
    bool jreAllowed = false;
    bool favouring = true;
    bool jrockitAllowed = false;
    bool sunAllowed = true;
    bool ibmAllowed = false;
    bool jrockitFavoured = false;
    bool sunFavoured = true;
    bool ibmFavoured = false;
    std::wstring productName;
    std::wstring productCode;
    std::wstring upgradeCode;
    std::vector<std::string> vmOptions;
    std::vector<std::wstring> preferredVersions;
    std::wstring jrePath;
    std::wstring libraryPath;
    UniqueView sharedBlock;
    UniqueHandle sharedMapping;
    UniqueHandle listenerThread;
    bool isPrimary = false;
    bool singleInstance = false;
    std::wstring outputFile;
    std::wstring errorFile;
    bool outputAppend = false;
    bool errorAppend = false;
    std::wstring systemPath;
    std::wstring extraArguments;
    std::wstring pairProduct;
    bool pairReturnCode = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    uint64_t javaThreadStackSize = 0;
    SplashCloser splashCloser;
    UniqueHandle mainStartedEvent;
    bool handOver = false;
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultInitArgsFunction getDefaultInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;

private:
    [[nodiscard]] bool chooseRuntime();
    [[nodiscard]] int startPairProduct();
};

} // namespace jl
