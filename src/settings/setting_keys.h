#pragma once
// Every section and key the launcher reads or writes, spelt as the INI files
// spell them (misspellings included). Platform-neutral.

namespace jl {

// The names are ASCII and kept narrow, half the weight in the program; they are
// widened where a key is looked up (readSetting) or written.
struct SettingKey {
    const char* section;
    const char* key;
};

namespace keys {
inline constexpr SettingKey kProductCode{"Product Information", "Product Code"};
inline constexpr SettingKey kUpgradeCode{"Product Information", "Upgrade Code"};
inline constexpr SettingKey kProductName{"Product Information", "Product Name"};

inline constexpr SettingKey kMinimumVersion{"Java Runtime Environment", "Minimum Version"};
inline constexpr SettingKey kMaximumVersion{"Java Runtime Environment", "Maximum Version"};
inline constexpr SettingKey kPreferredVersions{"Java Runtime Environment", "Preferred versions"};
inline constexpr SettingKey kJrePath{"Java Runtime Environment", "JRE Path"};
inline constexpr SettingKey kJvmType{"Java Runtime Environment", "JVM Type"};
inline constexpr SettingKey kJvmSource{"Java Runtime Environment", "JVM Source"};
inline constexpr SettingKey kVmProvider{"Java Runtime Environment", "VM Provider"};
inline constexpr SettingKey kSearchVendorRuntimes{"Java Runtime Environment", "Search Vendor Runtimes"};
inline constexpr SettingKey kMainClass{"Java Runtime Environment", "Main Class"};
inline constexpr SettingKey kMainJar{"Java Runtime Environment", "Main Jar"};
inline constexpr SettingKey kMainModule{"Java Runtime Environment", "Main Module"};
inline constexpr SettingKey kAddModules{"Java Runtime Environment", "Add Modules"};
inline constexpr SettingKey kSystemPath{"Java Runtime Environment", "System Path"};
inline constexpr SettingKey kLibraryPath{"Java Runtime Environment", "Library Path"};
inline constexpr SettingKey kVirtualMachineParameters{"Java Runtime Environment", "Virtual Machine Parameters"};
inline constexpr SettingKey kClassDataSharing{"Java Runtime Environment", "Class Data Sharing"};

inline constexpr SettingKey kApplicationType{"Application", "Application Type"};
inline constexpr SettingKey kFailureCheck{"Application", "Failure Check"};
inline constexpr SettingKey kOverrideWorkingDir{"Application", "Override WorkingDir"};
inline constexpr SettingKey kPairProduct{"Application", "Pair Product"};
inline constexpr SettingKey kPairReturnCode{"Application", "Pair Return Code"};
inline constexpr SettingKey kSingleInstance{"Application", "Single Instance"};
inline constexpr SettingKey kEmbeddedJar{"Application", "Embedded Jar"};
inline constexpr SettingKey kOutputFile{"Application", "Output File"};
inline constexpr SettingKey kOutputAppend{"Application", "Output Append"};
inline constexpr SettingKey kErrorFile{"Application", "Error File"};
inline constexpr SettingKey kErrorAppend{"Application", "Error Append"};
inline constexpr SettingKey kCmd{"Application", "Cmd"};

inline constexpr SettingKey kClassPath{"Class Path", "Class Path"};
inline constexpr SettingKey kModulePath{"Class Path", "Module Path"};

inline constexpr SettingKey kSplashScreen{"Display", "Splash Screen"};
inline constexpr SettingKey kSplashScreenShadow{"Display", "Splash Screen Shadow"};
inline constexpr SettingKey kPrefferNativeSplashScreen{"Display", "Preffer Native Splash Screen"};
inline constexpr SettingKey kSplashCloseOnWindow{"Display", "Splash Close On Window"};
inline constexpr SettingKey kSplashTimeout{"Display", "Splash Timeout"};

inline constexpr SettingKey kServiceName{"Service", "Service Name"};
inline constexpr SettingKey kDisplayName{"Service", "Display Name"};
inline constexpr SettingKey kDescription{"Service", "Description"};
inline constexpr SettingKey kStartType{"Service", "Start Type"};
inline constexpr SettingKey kAccount{"Service", "Account"};
inline constexpr SettingKey kDependencies{"Service", "Dependencies"};
inline constexpr SettingKey kRestartOnFailure{"Service", "Restart On Failure"};
inline constexpr SettingKey kStopMethod{"Service", "Stop Method"};
inline constexpr SettingKey kStopTimeout{"Service", "Stop Timeout"};
inline constexpr SettingKey kPreshutdownTimeout{"Service", "Preshutdown Timeout"};

// Every key above: each is read, and traced with its source, at every start.
inline constexpr SettingKey kEveryKey[] = {
    kProductCode, kUpgradeCode, kProductName, kMinimumVersion, kMaximumVersion, kPreferredVersions, kJrePath,
    kJvmType, kJvmSource, kVmProvider, kSearchVendorRuntimes, kMainClass, kMainJar, kMainModule, kAddModules, kSystemPath, kLibraryPath,
    kVirtualMachineParameters, kClassDataSharing, kApplicationType, kFailureCheck, kOverrideWorkingDir, kPairProduct,
    kPairReturnCode, kSingleInstance, kEmbeddedJar, kOutputFile, kOutputAppend, kErrorFile, kErrorAppend, kCmd,
    kClassPath, kModulePath, kSplashScreen, kSplashScreenShadow, kPrefferNativeSplashScreen, kSplashCloseOnWindow, kSplashTimeout,
    kServiceName, kDisplayName, kDescription, kStartType, kAccount, kDependencies, kRestartOnFailure, kStopMethod,
    kStopTimeout, kPreshutdownTimeout};
} // namespace keys

} // namespace jl
