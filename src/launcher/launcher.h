#pragma once
// The one object that owns a launch. Its state comes in pieces that match the
// steps of a launch; each step is handed the pieces it reads and fills.

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include <jni.h>

#include "jvmhost/jvm_library.h"
#include "jvmopts/jvm_options.h"
#include "jvmopts/standard_streams.h"
#include "launcher/single_instance.h"
#include "types/version.h"
#include "settings/launcher_settings.h"
#include "jvmopts/class_data_archive.h"
#include "settings/settings_source.h"
#include "splash/splash_window.h"

namespace jl {

// Told when the JVM's exit or abort hook runs.
class ExitObserver {
public:
    virtual ~ExitObserver() = default;
    virtual void exit(jint status) = 0;
    virtual void abort() = 0;
};

// The runtime that init chose.
struct ChosenRuntime {
    std::wstring jvmLibraryPath;
    Version version;        // set by the registry and vendor searches only
    bool handOver = false;  // start "Pair Product" instead of a JVM in this process
};

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

    void setExitObserver(ExitObserver* observer) { exitObserver_ = observer; }

private:
    [[nodiscard]] bool chooseRuntime();
    void checkPairedBitness();
    void applyWorkingDirectory();
    [[nodiscard]] int startPairProduct();
    [[nodiscard]] int startJava();

    static void JNICALL vmExitHook(jint status);
    static void JNICALL vmAbortHook();
    // The VM ends before main and before the launcher said why: say it now.
    void explainEarlyEnd();

    std::wstring programPath_;
    std::vector<std::wstring> arguments_;
    LauncherSettings settings_;
    // The INI file layered over the embedded settings, deciphered once.
    std::optional<LayeredSettingsSource> settingsSource_;
    ChosenRuntime runtime_;
    JvmEntryPoints entryPoints_;
    JvmConfiguration jvm_;
    ClassDataArchive classData_;
    StandardStreams streams_;
    // Set once main is called or a failure has been shown: a later end of the VM
    // needs no word from the launcher.
    std::atomic<bool> startSettled_ = false;
    JvmSession session_;
    SplashState splash_;
    SingleInstanceState singleInstance_;
    ExitObserver* exitObserver_ = nullptr;
};

} // namespace jl
