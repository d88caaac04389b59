#pragma once
// Every section and key the launcher reads or writes, spelt as the INI files
// spell them (misspellings included). Platform-neutral.

namespace jl {

struct SettingKey {
    const wchar_t* section;
    const wchar_t* key;
};

namespace keys {
inline constexpr SettingKey kProductCode{L"Product Information", L"Product Code"};
inline constexpr SettingKey kUpgradeCode{L"Product Information", L"Upgrade Code"};
inline constexpr SettingKey kProductName{L"Product Information", L"Product Name"};

inline constexpr SettingKey kMinimumVersion{L"Java Runtime Environment", L"Minimum Version"};
inline constexpr SettingKey kMaximumVersion{L"Java Runtime Environment", L"Maximum Version"};
inline constexpr SettingKey kPreferredVersions{L"Java Runtime Environment", L"Preferred versions"};
inline constexpr SettingKey kJrePath{L"Java Runtime Environment", L"JRE Path"};
inline constexpr SettingKey kJvmType{L"Java Runtime Environment", L"JVM Type"};
inline constexpr SettingKey kJvmSource{L"Java Runtime Environment", L"JVM Source"};
inline constexpr SettingKey kVmProvider{L"Java Runtime Environment", L"VM Provider"};
inline constexpr SettingKey kSearchVendorRuntimes{L"Java Runtime Environment", L"Search Vendor Runtimes"};
inline constexpr SettingKey kMainClass{L"Java Runtime Environment", L"Main Class"};
inline constexpr SettingKey kMainJar{L"Java Runtime Environment", L"Main Jar"};
inline constexpr SettingKey kMainModule{L"Java Runtime Environment", L"Main Module"};
inline constexpr SettingKey kAddModules{L"Java Runtime Environment", L"Add Modules"};
inline constexpr SettingKey kSystemPath{L"Java Runtime Environment", L"System Path"};
inline constexpr SettingKey kLibraryPath{L"Java Runtime Environment", L"Library Path"};
inline constexpr SettingKey kVirtualMachineParameters{L"Java Runtime Environment", L"Virtual Machine Parameters"};
inline constexpr SettingKey kClassDataSharing{L"Java Runtime Environment", L"Class Data Sharing"};

inline constexpr SettingKey kApplicationType{L"Application", L"Application Type"};
inline constexpr SettingKey kFailureCheck{L"Application", L"Failure Check"};
inline constexpr SettingKey kOverrideWorkingDir{L"Application", L"Override WorkingDir"};
inline constexpr SettingKey kPairProduct{L"Application", L"Pair Product"};
inline constexpr SettingKey kPairReturnCode{L"Application", L"Pair Return Code"};
inline constexpr SettingKey kSingleInstance{L"Application", L"Single Instance"};
inline constexpr SettingKey kEmbeddedJar{L"Application", L"Embedded Jar"};
inline constexpr SettingKey kOutputFile{L"Application", L"Output File"};
inline constexpr SettingKey kOutputAppend{L"Application", L"Output Append"};
inline constexpr SettingKey kErrorFile{L"Application", L"Error File"};
inline constexpr SettingKey kErrorAppend{L"Application", L"Error Append"};
inline constexpr SettingKey kCmd{L"Application", L"Cmd"};

inline constexpr SettingKey kClassPath{L"Class Path", L"Class Path"};
inline constexpr SettingKey kModulePath{L"Class Path", L"Module Path"};

inline constexpr SettingKey kSplashScreen{L"Display", L"Splash Screen"};
inline constexpr SettingKey kSplashScreenShadow{L"Display", L"Splash Screen Shadow"};
inline constexpr SettingKey kPrefferNativeSplashScreen{L"Display", L"Preffer Native Splash Screen"};
inline constexpr SettingKey kSplashCloseOnWindow{L"Display", L"Splash Close On Window"};
inline constexpr SettingKey kSplashTimeout{L"Display", L"Splash Timeout"};

inline constexpr SettingKey kServiceName{L"Service", L"Service Name"};
inline constexpr SettingKey kDisplayName{L"Service", L"Display Name"};
inline constexpr SettingKey kDescription{L"Service", L"Description"};
inline constexpr SettingKey kStartType{L"Service", L"Start Type"};
inline constexpr SettingKey kAccount{L"Service", L"Account"};
inline constexpr SettingKey kDependencies{L"Service", L"Dependencies"};
inline constexpr SettingKey kRestartOnFailure{L"Service", L"Restart On Failure"};
inline constexpr SettingKey kStopMethod{L"Service", L"Stop Method"};
inline constexpr SettingKey kStopTimeout{L"Service", L"Stop Timeout"};
inline constexpr SettingKey kPreshutdownTimeout{L"Service", L"Preshutdown Timeout"};

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
