#pragma once
// What the probe runtime is told to do: JL_PROBE_SCENARIO holds
// "key=value;key=value" with percent-encoded values (README.md lists the keys).
// It is read again at each JNI_GetDefaultJavaVMInitArgs and JNI_CreateJavaVM.

#include <string>

namespace probe {

enum class HelperMode { Present, Jdk25, Absent, NoMethod, ReturnsNull };
enum class MainMode { Return, None, Throw, Exit, Abort };
// How the application class's main is declared: static or not, with String[] or without.
enum class MainForm { Static, StaticNoArgs, Instance, InstanceNoArgs };
enum class SecondaryMode { None, Void, Int };

struct Scenario {
    long createResult = 0;
    long defaultStackSize = 1024 * 1024;
    HelperMode launcherHelper = HelperMode::Present;
    std::string mainClass;  // empty: every application class name exists
    MainMode main = MainMode::Return;
    MainForm mainForm = MainForm::Static;
    bool initializerThrows = false;  // the application class's static initialiser throws
    long status = 0;
    std::string exceptionClass = "java/lang/IllegalStateException";
    std::wstring trace;  // empty: "<exception>: probe failure" with one frame
    unsigned long threadMs = 0;
    std::string out, err;  // UTF-8 bytes that main prints
    std::string vmSays;    // a line JNI_CreateJavaVM prints as the VM prints its own
    long detachResult = 0;
    SecondaryMode secondaryMain = SecondaryMode::None;
    long secondaryResult = 0;
    unsigned long createDelayMs = 0;  // JNI_CreateJavaVM takes this long
    long windowAfterMs = -1;          // main opens a Win32 window this far into its wait
    unsigned long waitMs = 0;         // main waits this long before it returns
};

// Parses the variable; unknown keys and unreadable values are recorded and skipped.
Scenario loadScenario();

std::wstring fromUtf8(const std::string& bytes);

} // namespace probe
